#include "study/run_selection.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "tests/support/expect_error.h"

namespace duv {
namespace {

// Which runs a selection keeps is shown on study trees (study_pairing_test.cpp).
TEST(RunSelectionTest, MalformedOrUnknownSelectionsAreUsageErrors) {
  const std::pair<std::vector<std::string>, const char*> cases[] = {
      {{"sub"}, "--only 'sub': expected FIELD=VALUE[,VALUE...]"},
      {{"=01"}, "--only '=01': '' is not a field name (letters, digits and '_')"},
      {{"su b=01"}, "--only 'su b=01': 'su b' is not a field name (letters, digits and '_')"},
      {{"sub="}, "--only 'sub=': an empty value"},
      {{"sub=01,"}, "--only 'sub=01,': an empty value"},
      {{"sub=01,,02"}, "--only 'sub=01,,02': an empty value"},
      {{"sub=0-1"}, "--only 'sub=0-1': '0-1' is not a label (letters and digits)"},
      {{"sub==1"}, "--only 'sub==1': '=1' is not a label (letters and digits)"},
      {{"sub=01", "run=1", "sub=02"},
       "--only 'sub=02': field sub is selected twice; list its values in one --only"},
  };
  for (const auto& [options, message] : cases) {
    testing::expectError<std::invalid_argument>([&] { parseRunSelection(options); }, message);
  }

  const auto selection = parseRunSelection({"sub=01,02", "ses=1"});
  EXPECT_EQ(selection.fields[0].values, (std::vector<std::string>{"01", "02"}));
  testing::expectError<std::invalid_argument>(
      [&] {
        checkSelectedFields(selection, {"sub", "task", "run"});
      },
      "--only 'ses=1': the patterns have no field ses (they have sub, task, run)");
  testing::expectError<std::invalid_argument>(
      [&] { checkSelectedFields(selection, {}); },
      "--only 'sub=01,02': the patterns have no field sub (they have none)");
}

}  // namespace
}  // namespace duv
