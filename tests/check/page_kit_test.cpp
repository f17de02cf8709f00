#include "check/page_kit.h"

#include <gtest/gtest.h>

#include <limits>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "check/cell_text.h"

namespace duv {
namespace {

TEST(PageKitTest, EscapingUrlsAndShortening) {
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

// Each case: the names on one page and the labels they get, at most 12 characters.
TEST(PageKitTest, LabelsAreShortByCharactersAndNeverShared) {
  struct Case {
    const char* what;
    std::vector<std::string> names;
    std::vector<std::string> labels;
  };
  const Case cases[] = {
      {"short names stay whole",
       {"A", "Condition B", "exactly 12 c"},
       {"A", "Condition B", "exactly 12 c"}},
      {"a long name alone loses its end", {"Condition A long"}, {"Condition..."}},
      {"names alike but for their ends keep as much end as parts them",
       {"Condition A long 1", "Condition A long 2", "short"},
       {"Conditio...1", "Conditio...2", "short"}},
      {"ends alike over several characters",
       {"Condition A 10 long", "Condition A 20 long"},
       {"Co...10 long", "Co...20 long"}},
      {"a repeated name is one label",
       {"Condition A long 1", "Condition A long 1"},
       {"Condition...", "Condition..."}},
      {"a name alike to another's label is kept apart",
       {"Condition...", "Condition A long"},
       {"Condition...", "Conditio...g"}},
      // é is two bytes, ∞ three: cuts fall between characters.
      {"UTF-8 names are cut by characters",
       {"\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9",
        "\xe2\x88\x9e\xe2\x88\x9e\xe2\x88\x9e\xe2\x88\x9e\xe2\x88\x9e\xe2\x88\x9e\xe2\x88\x9e"
        "\xe2\x88\x9e\xe2\x88\x9e\xe2\x88\x9e\xe2\x88\x9e\xe2\x88\x9e\xe2\x88\x9e"},
       {"\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9\xc3\xa9",
        "\xe2\x88\x9e\xe2\x88\x9e\xe2\x88\x9e\xe2\x88\x9e\xe2\x88\x9e\xe2\x88\x9e\xe2\x88\x9e"
        "\xe2\x88\x9e\xe2\x88\x9e..."}},
      {"UTF-8 names alike but for their ends",
       {"Bedingung \xc3\x84rger 1", "Bedingung \xc3\x84rger 2"},
       {"Bedingun...1", "Bedingun...2"}},
      {"names parted only in the middle stay whole",
       {"Condition A middle end", "Condition B middle end"},
       {"Condition A middle end", "Condition B middle end"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const auto labels = shortLabels(c.names, 12);
    for (std::size_t i = 0; i < c.names.size(); ++i) {
      EXPECT_EQ(labels.at(c.names[i]), c.labels[i]) << c.names[i];
    }
    for (const auto& [name, label] : labels) {
      for (const auto& [other, otherLabel] : labels) {
        if (name == other) continue;
        EXPECT_NE(label, otherLabel) << name << " and " << other;
      }
    }
  }
}

// Each status: its name, its warning level, its colour as text and as a dot.
TEST(PageKitTest, StatusesHaveOneNameLevelAndColourEach) {
  struct Case {
    CheckStatus status;
    const char* name;
    std::optional<CheckLevel> level;
    const char* colour;
    const char* dot;
  };
  const Case cases[] = {
      {CheckStatus::ok, "ok", std::nullopt, "#3a7d44", "#3a7d44"},
      {CheckStatus::medium, "medium", CheckLevel::medium, "#a86c00", "#c98a00"},
      {CheckStatus::high, "high", CheckLevel::high, "#d9480f", "#d9480f"},
      {CheckStatus::error, "error", CheckLevel::error, "#c0152f", "#c0152f"},
      {CheckStatus::failed, "failed", std::nullopt, "#7a0c1e", "#7a0c1e"},
      {CheckStatus::unreadable, "unreadable", std::nullopt, "#c0152f", "#c0152f"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_STREQ(statusName(c.status), c.name);
    EXPECT_EQ(statusNamed(c.name), c.status);
    EXPECT_EQ(levelOfStatus(c.status), c.level);
    if (c.level || c.status == CheckStatus::ok) {
      EXPECT_EQ(statusOfLevel(c.level), c.status);
    }
    EXPECT_STREQ(statusColour(c.status), c.colour);
    EXPECT_STREQ(dotColour(c.status), c.dot);
  }
}

// The page's start escapes its title and spaces its headings as asked; its end marks the page
// drawn by images or by figures.
TEST(PageKitTest, PageStartAndEnd) {
  const auto start = pageStart("a <b>", PageSpacing{6, 26}, "\np.extra { }\n");
  EXPECT_EQ(start.substr(0, 16), "<!DOCTYPE html>\n");
  EXPECT_NE(start.find("<title>a &lt;b&gt;</title><script>"), std::string::npos);
  EXPECT_NE(start.find("h1 { font-size: 22px; margin: 0 0 6px; }\nh2 { font-size: 17px; "
                       "margin: 26px 0 6px;"),
            std::string::npos);
  EXPECT_NE(start.find("margin: 4px 0; }\np.extra { }\n</style></head>\n<body><h1>a &lt;b&gt;"
                       "</h1>"),
            std::string::npos);
  EXPECT_EQ(start.size() - start.rfind("</h1>"), 5U);
  const auto images = pageEnd(PageDrawn::imagesDecoded);
  const auto figures = pageEnd(PageDrawn::figuresSized);
  EXPECT_NE(images.find("var drawn = decoded && document.querySelector('svg') !== null;"),
            std::string::npos);
  EXPECT_EQ(images.find("box.width > 0"), std::string::npos);
  EXPECT_NE(figures.find("drawn = drawn && box.width > 0 && box.height > 0;"), std::string::npos);
  EXPECT_EQ(figures.find("decoded"), std::string::npos);
  for (const auto& end : {images, figures}) {
    EXPECT_EQ(end.substr(end.size() - 25), "</script>\n</body></html>\n");
  }
}

TEST(PageKitTest, NumbersAndTsvCellsIgnoreTheLocale) {
  constexpr double kInfinity = std::numeric_limits<double>::infinity();
  struct Case {
    double value;
    std::string fixed2;
    std::string significant;
    std::string shortest;
  };
  const Case cases[] = {
      {0.0, "0.00", "0", "0"},
      {12.345678, "12.35", "12.3457", "12.345678"},
      {-0.005, "-0.01", "-0.005", "-0.005"},
      {1e-9, "0.00", "1e-09", "1e-09"},
      {1234567.0, "1234567.00", "1.23457e+06", "1234567"},
      {kInfinity, "inf", "inf", "inf"},
      {-kInfinity, "-inf", "-inf", "-inf"},
      {std::numeric_limits<double>::quiet_NaN(), "nan", "nan", "nan"},
      // Fixed notation of values whose digits would not fit a short buffer: all of them.
      {1e80, "100000000000000000026609864708367276537402401181200809098131977453489758916313088.00",
       "1e+80", "1e+80"},
      {-std::numeric_limits<double>::max(),
       "-" + std::to_string(std::numeric_limits<double>::max()).substr(0, 309) + ".00",
       "-1.79769e+308", "-1.7976931348623157e+308"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(fixedDecimals(c.value, 2), c.fixed2) << c.significant;
    EXPECT_EQ(significantDigits(c.value), c.significant);
    EXPECT_EQ(shortestDigits(c.value), c.shortest) << c.significant;
  }
  std::ostringstream out;
  writeTsvRow({"a\tb", "line\nbreak\r", "", "plain"}, out);
  EXPECT_EQ(out.str(), "a b\tline break \t\tplain\n");
}

}  // namespace
}  // namespace duv
