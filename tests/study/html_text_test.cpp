#include "study/html_text.h"

#include <gtest/gtest.h>

#include <string>

namespace duv {
namespace {

TEST(HtmlTextTest, EscapingUrlsAndShortening) {
  EXPECT_EQ(escapedHtml("a<b>&\"c\"'d'"), "a&lt;b&gt;&amp;&quot;c&quot;&#39;d&#39;");
  EXPECT_EQ(escapedHtml("plain \xc3\xa9"), "plain \xc3\xa9");

  struct Case {
    std::string path;
    std::string url;
  };
  const Case urls[] = {
      {"sub-01/run-1/check.html", "sub-01/run-1/check.html"},
      {"sub 01/run #1?.html", "sub%2001/run%20%231%3F.html"},
      {"a%b&c=d.html", "a%25b%26c%3Dd.html"},
      {"sub-01\\run-1.html", "sub-01/run-1.html"},
      {"M\xfcller/\xc3\xa9.html", "M%FCller/%C3%A9.html"},
      {"<x>\"'.html", "%3Cx%3E%22%27.html"},
      {"", ""},
  };
  for (const auto& c : urls) EXPECT_EQ(urlOfPath(c.path), c.url) << c.path;

  struct Cut {
    std::string text;
    std::size_t longest;
    std::string shortened;
  };
  const Cut cuts[] = {
      {"short", 10, "short"},
      {"exactly-10", 10, "exactly-10"},
      {"eleven-char", 10, "eleven-..."},
      // Characters, not bytes: é is two bytes, ∞ three.
      {"\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9", 5, "\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9"},
      {"\xe2\x88\x9e\xe2\x88\x9e\xe2\x88\x9e\xe2\x88\x9e\xe2\x88\x9e\xe2\x88\x9e", 5,
       "\xe2\x88\x9e\xe2\x88\x9e..."},
  };
  for (const auto& c : cuts) EXPECT_EQ(shortened(c.text, c.longest), c.shortened) << c.text;
}

}  // namespace
}  // namespace duv
