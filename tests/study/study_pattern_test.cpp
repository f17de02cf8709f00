#include "study/study_pattern.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "design/text.h"
#include "tests/support/expect_error.h"

namespace duv {
namespace {

using namespace std::string_literals;

// "fields | start | components", each component's pieces as written, "/" between components.
std::string describe(const StudyPattern& pattern) {
  std::vector<std::string> components;
  for (const auto& component : pattern.components) {
    std::string text;
    for (const auto& piece : component) {
      text += piece.isField ? "{" + pattern.fields[piece.field] + "}" : piece.literal;
    }
    components.push_back(text);
  }
  return joined(pattern.fields, " ") + " | " + pattern.start + " | " + joined(components, "/");
}

TEST(StudyPatternTest, PatternsGiveTheirFieldsWhereTheyStartAndTheComponentsWalked) {
  const std::pair<const char*, const char*> cases[] = {
      {"sub-{sub}/func/sub-{sub}_run-{run}.sdm",
       "sub run |  | sub-{sub}/func/sub-{sub}_run-{run}.sdm"},
      {"data/sub-{sub}/x_{run}.sdm", "sub run | data/ | sub-{sub}/x_{run}.sdm"},
      {"/data/x_{run}.sdm", "run | /data/ | x_{run}.sdm"},
      {"./d//sub-{sub}//x.sdm", "sub | ./d// | sub-{sub}/x.sdm"},
      {"../a b/{sub}.sdm", "sub | ../a b/ | {sub}.sdm"},
      {"a/b/task.sdm", " | a/b/ | task.sdm"},
      {"{a}_{b}.{c}", "a b c |  | {a}_{b}.{c}"},
      {"{s}/{s}-{s}x", "s |  | {s}/{s}-{s}x"},
      {"run{run_2}x", "run_2 |  | run{run_2}x"},
  };
  for (const auto& [text, expected] : cases) {
    const auto pattern = parseStudyPattern(text, "--primary");
    EXPECT_EQ(describe(pattern), expected);
    // Unfilled, a pattern reads as written.
    EXPECT_EQ(fillPattern(pattern, FieldValues(pattern.fields.size())), text);
  }
  const auto pattern = parseStudyPattern("sub-{sub}/x_{run}_{sub}.sdm", "--primary");
  EXPECT_EQ(fillPattern(pattern, {"01", ""}), "sub-01/x_{run}_01.sdm");
}

TEST(StudyPatternTest, MalformedPatternsAreRefusedNamingTheOptionAndColumn) {
  const std::pair<std::string, const char*> cases[] = {
      {"", "the pattern is empty"},
      {"sub-{sub", "'{' at column 5 is not closed"},
      {"sub}/x", "'}' at column 4 closes no field"},
      {"a/{}.tsv", "an empty field name at column 3"},
      {"{su-b}", "'{su-b}' at column 1: a field name holds only letters, digits and '_'"},
      {"{a/b}", "'{a/b}' at column 1: a field name holds only letters, digits and '_'"},
      {"{a{b}}", "'{a{b}' at column 1: a field name holds only letters, digits and '_'"},
      {"{a}{b}",
       "{a} and {b} need a character other than a letter or digit between them (column 4)"},
      {"s{a}x2{b}",
       "{a} and {b} need a character other than a letter or digit between them (column 7)"},
      {"{a}{a}",
       "{a} and {a} need a character other than a letter or digit between them (column 4)"},
      {"d/{s}/../x",
       "'..' at column 7 is below where the pattern starts: a pattern walks down from there, never "
       "up"},
      {"d/{s}/./x",
       "'.' at column 7 is below where the pattern starts: a pattern walks down from there, never "
       "up"},
      {"d/..",
       "'..' at column 3 is below where the pattern starts: a pattern walks down from there, never "
       "up"},
      {"d/{s}/", "the pattern ends with a separator: it must name files"},
      {"d/{s}\0.tsv"s, "a NUL byte at column 6"},
  };
  for (const auto& [text, message] : cases) {
    const auto shown = text.find('\0') == std::string::npos ? text : "d/{s}\\0.tsv";
    testing::expectError<std::invalid_argument>(
        [&] { parseStudyPattern(text, "--confounds-from"); },
        "--confounds-from '" + shown + "': " + message);
  }
}

TEST(StudyPatternTest, PathsMatchAPatternInOneWayAtMost) {
  const char* const runs = "sub-{sub}/func/sub-{sub}_run-{run}.sdm";
  struct Case {
    const char* pattern;
    const char* path;
    const char* values;  // nullptr: no match
  };
  const Case cases[] = {
      {runs, "sub-01/func/sub-01_run-2.sdm", "01 2"},
      {runs, "sub-A1b/func/sub-A1b_run-x.sdm", "A1b x"},
      {runs, "sub-01//func/sub-01_run-2.sdm", "01 2"},
      {runs, "sub-01/func/sub-02_run-2.sdm", nullptr},
      {runs, "sub-01/anat/sub-01_run-2.sdm", nullptr},
      {runs, "sub-0_1/func/sub-0_1_run-2.sdm", nullptr},
      {runs, "sub-/func/sub-_run-2.sdm", nullptr},
      {runs, "sub-01/func/sub-01_run-2.sdm~", nullptr},
      {runs, "sub-01/func/x/sub-01_run-2.sdm", nullptr},
      {"run{run}x", "run1x2x", "1x2"},
      {"run{run}x", "runx", nullptr},
      {"{a}x_{b}", "1xx_2", "1x 2"},
      {"{a}.{b}", "1.2.3", nullptr},
      {"{s}-{s}", "7-8", nullptr},
      {"d/{s}.tsv", "01.tsv", nullptr},
      {"task.sdm", "task.sdm", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.pattern) + " ~ " + c.path);
    const auto pattern = parseStudyPattern(c.pattern, "--primary");
    FieldValues values;
    ASSERT_EQ(matchPattern(pattern, c.path, values), c.values != nullptr);
    if (c.values != nullptr) {
      EXPECT_EQ(joined(values, " "), c.values);
    }
  }
}

// "*" matches within one component, makes no field, and never lets a name give two readings.
TEST(StudyPatternTest, WildcardsMatchWithinOneComponentWithoutMakingAField) {
  const std::pair<const char*, const char*> parsed[] = {
      {"sub-{sub}/*_{run}.sdm", "sub run |  | sub-{sub}/*_{run}.sdm"},
      {"d/*/x_{run}.sdm", "run | d/ | */x_{run}.sdm"},
      {"a/b/*.sdm", " | a/b/ | *.sdm"},
      {"**x-{a}", "a |  | **x-{a}"},
      {"*-{a}/{b}-*", "a b |  | *-{a}/{b}-*"},
  };
  for (const auto& [text, expected] : parsed) {
    const auto pattern = parseStudyPattern(text, "--primary");
    EXPECT_EQ(describe(pattern), expected);
    EXPECT_EQ(fillPattern(pattern, FieldValues(pattern.fields.size())), text);
  }

  const std::pair<const char*, const char*> refused[] = {
      {"{a}*", "{a} and * need a character other than a letter or digit between them (column 4)"},
      {"{a}x2*", "{a} and * need a character other than a letter or digit between them (column 6)"},
      {"*{a}", "* and {a} need a character other than a letter or digit between them (column 2)"},
      {"d/*x1{a}",
       "* and {a} need a character other than a letter or digit between them (column 6)"},
      {"*-{a}-*",
       "{a} stands between two '*' of one component (column 7): it could be read in more than one "
       "way"},
      {"x*_{a}_{b}.*",
       "{b} stands between two '*' of one component (column 12): it could be read in more than "
       "one way"},
  };
  for (const auto& [text, message] : refused) {
    testing::expectError<std::invalid_argument>(
        [&] { parseStudyPattern(text, "--primary"); },
        std::string("--primary '") + text + "': " + message);
  }

  struct Case {
    const char* pattern;
    const char* path;
    const char* values;  // nullptr: no match
  };
  const Case matched[] = {
      {"{a}-*", "1-2-3", "1"},
      {"*-{a}", "1-2-3", "3"},
      {"*-{a}.sdm", "x-y-07.sdm", "07"},
      {"*-{a}.sdm", "-07.sdm", "07"},
      {"*-{a}.sdm", "x-y-0_7.sdm", nullptr},
      {"{a}_*_{b}.tsv", "1_x_y_2.tsv", "1 2"},
      {"{a}-*-{b}", "1--2", "1 2"},
      {"{a}-*-{b}", "1-2", nullptr},
      {"{a}_*_{a}.tsv", "1_x_1.tsv", "1"},
      {"{a}_*_{a}.tsv", "1_x_2.tsv", nullptr},
      {"x_*.tsv", "x_.tsv", ""},
      {"x_*.tsv", "x_desc-a.b.tsv", ""},
      {"x_*.tsv", "x.tsv", nullptr},
      {"x_*.tsv", "x_a.tsv~", nullptr},
      {"*", "any thing", ""},
      {"a*b*c", "abc", ""},
      {"a*b*c", "aXbYbc", ""},
      {"a*b*c", "acb", nullptr},
      {"a**c", "ac", ""},
      {"a*b", "a*b", ""},
      {"*/x.sdm", "a/x.sdm", ""},
      {"*/x.sdm", "a/b/x.sdm", nullptr},
      {"*.sdm", "a/b.sdm", nullptr},
      {"sub-{s}/*/c_{s}.tsv", "sub-01/prep/c_01.tsv", "01"},
      {"sub-{s}/*/c_{s}.tsv", "sub-01/prep/c_02.tsv", nullptr},
  };
  for (const auto& c : matched) {
    SCOPED_TRACE(std::string(c.pattern) + " ~ " + c.path);
    const auto pattern = parseStudyPattern(c.pattern, "--primary");
    FieldValues values;
    ASSERT_EQ(matchPattern(pattern, c.path, values), c.values != nullptr);
    if (c.values != nullptr) {
      EXPECT_EQ(joined(values, " "), c.values);
    }
  }
}

// A file's path is the pattern with the names found in place of the components walked.
TEST(StudyPatternTest, APathIsThePatternWithTheNamesFound) {
  const struct {
    const char* pattern;
    std::vector<std::string> names;
    const char* path;
  } cases[] = {
      {"sub-{sub}/*_{run}.sdm", {"sub-01", "a_b_1.sdm"}, "sub-01/a_b_1.sdm"},
      {"./d//sub-{sub}//x.sdm", {"sub-01", "x.sdm"}, "./d//sub-01//x.sdm"},
      {"a/b/*.sdm", {"c.sdm"}, "a/b/c.sdm"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(pathOfNames(parseStudyPattern(c.pattern, "--primary"), c.names), c.path);
  }
}

}  // namespace
}  // namespace duv
