#pragma once

// What the project's self-contained pages (the check page, a study's group page) share: how
// text goes into them, how predictors and runs are labelled, the status colours, the start of
// the page with its base style sheet, and the scripts that report how the page loaded.
//
// The page's head holds a script that records on <html data-errors> every script error and
// resource that failed to load (capture phase); the load script at its end marks <body
// data-rendered="ok"> (else "incomplete") and gives every element with data-figure a
// data-box="left,top,width,height" in page pixels, for the browser tests.

#include <cstddef>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "check/check_status.h"

namespace duv {

// --- text ----------------------------------------------------------------------------------

// `text` with &, <, >, " and ' as character references: safe in content and quoted attributes.
std::string escapedHtml(std::string_view text);

// A relative path as a URL path: every byte but letters, digits, "-._~/" percent-encoded (a
// space, "#", "?", "%" and the bytes of non-ASCII names), backslashes first turned into slashes.
std::string urlOfPath(std::string_view path);

// A length in CSS pixels with one decimal: "12.5".
std::string px(double value);

// --- labels --------------------------------------------------------------------------------

// Characters of UTF-8 text: its bytes but the continuation bytes (10xxxxxx).
std::size_t characterCount(std::string_view text);

// `text` cut to at most `longest` characters, ending in "..." when cut. Cuts fall between
// characters, never inside a UTF-8 sequence.
std::string shortened(std::string_view text, std::size_t longest);

// The labels of the names shown on one page: each name shortened to `longest` characters, but
// never two different names to one label. Where names would share one, their labels keep
// their ends ("Condition A very long na...1", "...2"), as much of the end as tells them apart;
// a name that its head and end cannot tell apart keeps its whole text. Every name maps to its
// label (names may repeat).
std::map<std::string, std::string> shortLabels(const std::vector<std::string>& names,
                                               std::size_t longest);

// Longest labels, in characters: the check page's predictor names, the group page's runs.
inline constexpr std::size_t kLongestPredictorLabel = 28;
inline constexpr std::size_t kLongestRunLabel = 30;
// The average width of a character of the 11 px label font, in CSS pixels.
inline constexpr double kLabelCharacterWidth = 6.4;

// --- colours -------------------------------------------------------------------------------

// Text that no warning colours.
inline constexpr const char* kTextColour = "#222222";

// A status as text or badge colour on white: ok green, medium amber, high orange, error (and
// unreadable) red, failed dark red. The pages' style sheets spell the same values.
const char* statusColour(CheckStatus status);

// A status as the colour of a small dot (the group page's dots and its count of warned runs):
// medium a lighter amber than as text, which on a dot reads as brown; the others as text.
const char* dotColour(CheckStatus status);

// --- the page ------------------------------------------------------------------------------

// The margins below the headings and above each section's heading, in CSS pixels.
struct PageSpacing {
  int belowHeadings = 4;
  int aboveSections = 28;
};

// The page up to its first heading: the document's head with the error script and the style
// sheet (the base rules for the body, headings and notes, then `style`), and `title` as the
// heading. `style` is CSS that begins with a line break, each rule on its own line.
std::string pageStart(const std::string& title, const PageSpacing& spacing, std::string_view style);

// When the load script calls the page drawn: when every image decoded and there is a drawing
// (pages of images), or when every figure has a size (pages of drawings and tables).
enum class PageDrawn { imagesDecoded, figuresSized };

// The load script and the end of the page.
std::string pageEnd(PageDrawn drawn);

}  // namespace duv
