#include "check/contrast_expression.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "tests/support/expect_error.h"

namespace duv {
namespace {

using Terms = std::vector<ContrastTerm>;

std::string describe(const Terms& terms) {
  std::string text;
  for (const auto& term : terms)
    text += "[" + term.predictor + " " + std::to_string(term.weight) + "]";
  return text;
}

TEST(ContrastExpressionTest, ExpressionsGiveTheirWeightedNames) {
  struct Case {
    const char* expression;
    Terms terms;
  };
  const Case cases[] = {
      {"Faces - Houses", {{"Faces", 1}, {"Houses", -1}}},
      {"0.5*Faces + 0.5*Houses - Scrambled", {{"Faces", 0.5}, {"Houses", 0.5}, {"Scrambled", -1}}},
      {"-Faces", {{"Faces", -1}}},
      {"+Faces", {{"Faces", 1}}},
      {"2*\"Condition A\" - \"Condition B\"", {{"Condition A", 2}, {"Condition B", -1}}},
      {"Faces-Houses", {{"Faces", 1}, {"Houses", -1}}},
      {" \tFaces\t-  2 *  Houses ", {{"Faces", 1}, {"Houses", -2}}},
      {".5*A + 5.*B - 1e-3*C + 2.5E+2*D", {{"A", 0.5}, {"B", 5}, {"C", -1e-3}, {"D", 250}}},
      {"1back - 2back", {{"1back", 1}, {"2back", -1}}},
      {"2 - 3", {{"2", 1}, {"3", -1}}},
      {"2*3", {{"3", 2}}},
      {"1e - B", {{"1e", 1}, {"B", -1}}},
      {"2.5.3 + A", {{"2.5.3", 1}, {"A", 1}}},
      {"A + B - A", {{"A", 0}, {"B", 1}}},
      {"A + A", {{"A", 2}}},
      {"0*A + B", {{"A", 0}, {"B", 1}}},
      {"-0.25*A", {{"A", -0.25}}},
      {"motion_x'=1", {{"motion_x'=1", 1}}},
      {"\" x \" + 1e-310*y", {{" x ", 1}, {"y", 1e-310}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.expression);
    const auto contrast = parseContrast("x", c.expression);
    EXPECT_EQ(contrast.name, "x");
    EXPECT_EQ(contrast.expression, c.expression);
    EXPECT_EQ(describe(contrast.terms), describe(c.terms));
    for (std::size_t k = 0; k < c.terms.size() && k < contrast.terms.size(); ++k) {
      EXPECT_EQ(contrast.terms[k].weight, c.terms[k].weight) << k;
    }
    // The shortest form reads back as the same terms.
    const auto again = parseContrast("x", formatExpression(contrast.terms));
    EXPECT_EQ(describe(again.terms), describe(contrast.terms)) << formatExpression(contrast.terms);
  }
}

TEST(ContrastExpressionTest, MalformedExpressionsSayWhereTheyFail) {
  struct Case {
    const char* expression;
    const char* message;
  };
  const Case cases[] = {
      {"Faces - ", "expected a predictor name at column 8 in \"Faces - \""},
      {"", "the expression is empty"},
      {" \t ", "the expression is empty"},
      {"Faces -- Houses", "expected a predictor name at column 8 in \"Faces -- Houses\""},
      {"- - Faces", "expected a predictor name at column 3 in \"- - Faces\""},
      {"*Faces", "expected a predictor name at column 1 in \"*Faces\""},
      {"2*", "expected a predictor name at column 3 in \"2*\""},
      {"2* - A", "expected a predictor name at column 4 in \"2* - A\""},
      {"2*\"Condition A", "the quote is not closed at column 3 in \"2*\"Condition A\""},
      {"A + \"\"", "empty name in quotes at column 5 in \"A + \"\"\""},
      {"0.5 Faces", "expected \"*\" after the weight \"0.5\" at column 4 in \"0.5 Faces\""},
      {"1e-3 Faces", "expected \"*\" after the weight \"1e-3\" at column 5 in \"1e-3 Faces\""},
      {"Faces Houses", "expected \"+\" or \"-\" at column 7 in \"Faces Houses\""},
      {"\"A\"\"B\"", "expected \"+\" or \"-\" at column 4 in \"\"A\"\"B\"\""},
      {"Faces*Houses", "expected a number before \"*\" at column 6 in \"Faces*Houses\""},
      {"1back*A", "expected a number before \"*\" at column 6 in \"1back*A\""},
      {"\"a+b\"*c", "expected a number before \"*\" at column 6 in \"\"a+b\"*c\""},
      {"2*3*A", "expected \"+\" or \"-\" at column 4 in \"2*3*A\""},
      {"1e400*A", "the weight \"1e400\" is beyond the range of numbers at column 1 in \"1e400*A\""},
      {"1e-400*A",
       "the weight \"1e-400\" is beyond the range of numbers at column 1 in \"1e-400*A\""},
      {"1e308*A + 1e308*A",
       "the weights of \"A\" add up beyond the range of numbers at column 17 in "
       "\"1e308*A + 1e308*A\""},
      {"A - A", "all weights are 0 in \"A - A\""},
      {"0*A", "all weights are 0 in \"0*A\""},
      {"A\x01 +", "expected a predictor name at column 5 in \"A\\x01 +\""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.expression);
    testing::expectError<std::invalid_argument>([&] { parseContrast("F-H", c.expression); },
                                                std::string("contrast \"F-H\": ") + c.message);
  }
}

TEST(ContrastExpressionTest, OptionsSplitAtTheFirstEquals) {
  const auto contrast = parseContrastOption("  F-H\t= Faces - Houses");
  EXPECT_EQ(contrast.name, "F-H");
  EXPECT_EQ(contrast.expression, " Faces - Houses");
  EXPECT_EQ(describe(contrast.terms), describe({{"Faces", 1}, {"Houses", -1}}));
  const auto equals = parseContrastOption("a=b=c");
  EXPECT_EQ(equals.name, "a");
  EXPECT_EQ(describe(equals.terms), describe({{"b=c", 1}}));
  testing::expectError<std::invalid_argument>(
      [] { parseContrastOption("Faces - Houses"); },
      "contrast option \"Faces - Houses\" has no \"=\": write NAME=EXPRESSION");
  testing::expectError<std::invalid_argument>(
      [] { parseContrastOption(" =Faces"); },
      "contrast option \" =Faces\": the name before \"=\" is empty");
  testing::expectError<std::invalid_argument>(
      [] { parseContrastOption("F-H=Faces - "); },
      "contrast \"F-H\": expected a predictor name at column 8 in \"Faces - \"");
}

TEST(ContrastExpressionTest, ContrastsFilesAreReadLineByLine) {
  // As spreadsheet programs save it: a byte-order mark before the header.
  const std::string valid =
      "\xEF\xBB\xBFname\texpression\r\n"
      "F-H\tFaces - Houses\r\n"
      "\r\n"
      " \t \n"
      "All \t0.5*Faces + 0.5*Houses\n";
  const auto contrasts = readContrasts(valid, "contrasts.tsv");
  ASSERT_EQ(contrasts.size(), 2U);
  EXPECT_EQ(contrasts[0].name, "F-H");
  EXPECT_EQ(describe(contrasts[0].terms), describe({{"Faces", 1}, {"Houses", -1}}));
  EXPECT_EQ(contrasts[1].name, "All");
  EXPECT_EQ(contrasts[1].expression, "0.5*Faces + 0.5*Houses");

  // The valid file damaged one way per case.
  struct Case {
    std::string text;
    const char* message;
  };
  const Case cases[] = {
      {"", "contrasts.tsv, line 1: expected the header \"name<TAB>expression\", found \"\""},
      {"\xEF\xBB\xBF",
       "contrasts.tsv, line 1: expected the header \"name<TAB>expression\", found \"\""},
      {"name expression\nF-H\tA\n",
       "contrasts.tsv, line 1: expected the header \"name<TAB>expression\", found \"name "
       "expression\""},
      {"name\texpression\n", "contrasts.tsv: no contrast follows the header"},
      {"name\texpression\n\n\n", "contrasts.tsv: no contrast follows the header"},
      {"name\texpression\nF-H Faces - Houses\n",
       "contrasts.tsv, line 2: expected a name, a tab and an expression"},
      {"name\texpression\n \tFaces\n", "contrasts.tsv, line 2: the name before the tab is empty"},
      {"name\texpression\nF-H\tA\n\nF-H\tB\n",
       "contrasts.tsv, line 4: contrast \"F-H\" is named again (first on line 2)"},
      {"name\texpression\nF-H\tA\nG\tFaces -\r\n",
       "contrasts.tsv, line 3: contrast \"G\": expected a predictor name at column 8 in "
       "\"Faces -\""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    testing::expectError<std::runtime_error>([&] { readContrasts(c.text, "contrasts.tsv"); },
                                             c.message);
  }
}

// "name expression [field=value ...]" for each contrast of a table, "; " between them.
std::string describe(const ContrastTable& table) {
  std::string text;
  for (const auto& contrast : table.contrasts) {
    if (!text.empty()) text += "; ";
    text += contrast.name + " " + formatExpression(contrast.terms);
    for (const auto& [field, value] : contrast.appliesTo) text += " " + field + "=" + value;
  }
  return text;
}

// Field columns choose the runs of a study a contrast applies to; a file without them reads as
// it always has.
TEST(ContrastExpressionTest, FieldColumnsChooseTheRunsAContrastAppliesTo) {
  struct Case {
    std::string text;
    const char* fields;
    const char* contrasts;
  };
  const Case cases[] = {
      {"name\texpression\nF\tA\t-\tB\n", "", "F A - B"},
      {"task\tname\texpression\nfaces\tmain\tA - B\nmotor\tmain\tC - D\n\tall\tA + C\n", "task",
       "main A - B task=faces; main C - D task=motor; all A + C"},
      {"expression\tname\nA\tF\n", "", "F A"},
      {"name\tses\texpression\ttask\r\nF\t 1 \tA\t\r\n\r\nF\t2\tA\tx\r\nG\t\tB\tx\r\n", "ses task",
       "F A ses=1; F A ses=2 task=x; G B task=x"},
      // One name for runs that differ in any one field.
      {"a\tb\tname\texpression\n1\t\tF\tA\n2\t1\tF\tB\n3\t2\tF\tC\n", "a b",
       "F A a=1; F B a=2 b=1; F C a=3 b=2"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    const auto table = readContrastTable(c.text, "contrasts.tsv");
    std::string fields;
    for (const auto& field : table.fields) fields += (fields.empty() ? "" : " ") + field;
    EXPECT_EQ(fields, c.fields);
    EXPECT_EQ(describe(table), c.contrasts);
  }

  const std::pair<std::string, const char*> damaged[] = {
      {"task\tname\n",
       "line 1: expected the header \"name<TAB>expression\", found \"task\\x09name\""},
      {"name\texpression\tname\n",
       "line 1: expected the header \"name<TAB>expression\", found "
       "\"name\\x09expression\\x09name\""},
      {"name\texpression\t\n", "line 1: column 3 of the header has no name"},
      {"task\tname\texpression\ttask\n", "line 1: column \"task\" appears twice"},
      {"task\tname\texpression\nx\tF\tA\nF\tA\n", "line 3: 2 cells where the header has 3"},
      {"task\tname\texpression\nx\tF\tA\t\n", "line 2: 4 cells where the header has 3"},
      {"task\tname\texpression\nx\t \tA\n", "line 2: the name is empty"},
      {"task\tname\texpression\nx\tF\tA\tB\n", "line 2: 4 cells where the header has 3"},
      {"task\tname\texpression\nx\tF\tA\n\tF\tB\n",
       "line 3: contrast \"F\" is named again (first on line 2)"},
      {"task\tname\texpression\nx\tF\tA\ny\tF\tA\nx\tF\tB\n",
       "line 4: contrast \"F\" is named again (first on line 2)"},
      {"a\tb\tname\texpression\n1\t\tF\tA\n\t1\tF\tB\n",
       "line 3: contrast \"F\" is named again (first on line 2)"},
      {"task\tname\texpression\nx\tF\tA -\n",
       "line 2: contrast \"F\": expected a predictor name at column 4 in \"A -\""},
      {"task\tname\texpression\n", "no contrast follows the header"},
  };
  for (const auto& [text, message] : damaged) {
    SCOPED_TRACE(text);
    const std::string where = message[0] == 'l' ? "contrasts.tsv, " : "contrasts.tsv: ";
    testing::expectError<std::runtime_error>([&] { readContrastTable(text, "contrasts.tsv"); },
                                             where + message);
  }

  // Designs checked on their own have no fields to choose by.
  testing::expectError<std::runtime_error>(
      [] { readContrasts("name\texpression\ttask\nF\tA\tx\n", "contrasts.tsv"); },
      "contrasts.tsv: column \"task\" names no field (check has none; field columns choose among "
      "the runs of a study)");
}

TEST(ContrastExpressionTest, ContrastsOfOneNameMeetWhereNoFieldTellsThemApart) {
  const auto contrast = [](std::vector<std::pair<std::string, std::string>> appliesTo) {
    Contrast c;
    c.appliesTo = std::move(appliesTo);
    return c;
  };
  struct Case {
    Contrast a;
    Contrast b;
    bool common;
  };
  const Case cases[] = {
      {contrast({}), contrast({}), true},
      {contrast({}), contrast({{"task", "x"}}), true},
      {contrast({{"task", "x"}}), contrast({{"task", "x"}}), true},
      {contrast({{"task", "x"}}), contrast({{"task", "y"}}), false},
      {contrast({{"task", "x"}}), contrast({{"ses", "1"}}), true},
      {contrast({{"ses", "1"}, {"task", "x"}}), contrast({{"ses", "1"}, {"task", "y"}}), false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(applyToCommonRuns(c.a, c.b), c.common);
    EXPECT_EQ(applyToCommonRuns(c.b, c.a), c.common);
  }
}

}  // namespace
}  // namespace duv
