#include "study/run_contrasts.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "tests/support/expect_error.h"

namespace duv {
namespace {

using Fields = std::vector<std::pair<std::string, std::string>>;

ContrastTable tableOf(const std::string& text) { return readContrastTable(text, "c.tsv"); }

std::string namesOf(const std::vector<Contrast>& contrasts) {
  std::string names;
  for (const auto& contrast : contrasts) names += (names.empty() ? "" : " ") + contrast.name;
  return names;
}

TEST(RunContrastsTest, ARunGetsTheContrastsWhoseFieldsItFills) {
  const auto table = tableOf(
      "task\tses\tname\texpression\n"
      "faces\t\tmain\tA - B\n"
      "motor\t\tmain\tC - D\n"
      "\t\tall\tA\n"
      "faces\t2\tlate\tB\n");
  struct Case {
    Fields fields;
    const char* names;
  };
  const Case cases[] = {
      {{{"sub", "01"}, {"task", "faces"}, {"ses", "1"}}, "main all"},
      {{{"sub", "01"}, {"task", "faces"}, {"ses", "2"}}, "main all late"},
      {{{"task", "motor"}, {"ses", "2"}}, "main all"},
      {{{"task", "rest"}, {"ses", "2"}}, "all"},
      // A run without the field's value (a manifest's empty cell) gets only what asks none.
      {{{"task", ""}, {"ses", "2"}}, "all"},
      {{}, "all"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(namesOf(contrastsOfRun(table.contrasts, c.fields)), c.names);
  }
  // The motor run's main is its own expression.
  const auto motor = contrastsOfRun(table.contrasts, {{"task", "motor"}});
  ASSERT_FALSE(motor.empty());
  EXPECT_EQ(formatExpression(motor.front().terms), "C - D");
}

TEST(RunContrastsTest, AFieldColumnMustNameAFieldOfTheStudy) {
  const auto table = tableOf("task\tses\tname\texpression\nx\t1\tF\tA\n");
  EXPECT_NO_THROW(checkContrastFields(table, "c.tsv", {"sub", "ses", "task"}));
  testing::expectError<std::runtime_error>(
      [&] {
        checkContrastFields(table, "c.tsv", {"sub", "task", "run"});
      },
      "c.tsv: column \"ses\" names no field of the study (it has sub, task, run)");
  testing::expectError<std::runtime_error>([&] { checkContrastFields(table, "c.tsv", {}); },
                                           "c.tsv: column \"task\" names no field of the study "
                                           "(it has none)");
  EXPECT_NO_THROW(checkContrastFields(tableOf("name\texpression\nF\tA\n"), "c.tsv", {}));
}

TEST(RunContrastsTest, TheOptionsComeFirstAndOneNameMayNotMeetItselfOnARun) {
  const auto table = tableOf("task\tname\texpression\nx\tF\tA\ny\tF\tB\n");
  EXPECT_EQ(namesOf(joinedContrasts({parseContrast("G", "A")}, table)), "G F F");
  EXPECT_EQ(namesOf(joinedContrasts({parseContrast("G", "A")}, ContrastTable{})), "G");
  testing::expectError<std::runtime_error>(
      [&] { joinedContrasts({parseContrast("F", "A")}, table); },
      "contrast \"F\" is asked for twice");
  testing::expectError<std::runtime_error>(
      [&] {
        joinedContrasts({parseContrast("G", "A"), parseContrast("G", "B")}, {});
      },
      "contrast \"G\" is asked for twice");
}

}  // namespace
}  // namespace duv
