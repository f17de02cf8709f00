#include "design/confound_cell.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <stdexcept>

#include "tests/support/expect_error.h"

namespace duv {
namespace {

using testing::expectError;

TEST(ConfoundCellTest, NumbersAreReadWholeAndNarrowedOnce) {
  struct Case {
    const char* text;
    float value;
  };
  const Case cases[] = {
      {"0", 0.0F},
      {"-0.25", -0.25F},
      {"+.5", 0.5F},
      {"1.", 1.0F},
      {"1e-3", 1e-3F},
      {"2E2", 200.0F},
      {"512.202816", 512.202816F},
      {"3.4028234e38", std::numeric_limits<float>::max()},
      // The double nearest this text is halfway between two floats: narrowing it rounds to even,
      // as the SDM reader's values do.
      {"1.00000005960464477539062500000001", 1.0F},
  };
  for (const auto& c : cases) {
    const auto cell = readCell(c.text);
    EXPECT_EQ(cell.kind, CellKind::number) << c.text;
    EXPECT_EQ(cell.value, c.value) << c.text;
  }
}

TEST(ConfoundCellTest, AnythingButANumberOrNotAvailableIsRefused) {
  struct Case {
    const char* text;
    CellKind kind;
  };
  const Case cases[] = {
      {"n/a", CellKind::notAvailable},  {"N/A", CellKind::notANumber},
      {"", CellKind::notANumber},       {"-", CellKind::notANumber},
      {"nan", CellKind::notANumber},    {"NaN", CellKind::notANumber},
      {"inf", CellKind::notANumber},    {"-inf", CellKind::notANumber},
      {"1.5.5", CellKind::notANumber},  {"0x10", CellKind::notANumber},
      {"1,5", CellKind::notANumber},    {" 1", CellKind::notANumber},
      {"1e400", CellKind::outOfRange},  {"-1e400", CellKind::outOfRange},
      {"1e-400", CellKind::outOfRange}, {"1e60", CellKind::outOfRange},
      {"-1e39", CellKind::outOfRange},
  };
  for (const auto& c : cases) EXPECT_EQ(readCell(c.text).kind, c.kind) << c.text;
}

TEST(ConfoundCellTest, ErrorsNameThePlaceAndFollowTheSdmReader) {
  const std::string context = "t.tsv, line 3, column csf";
  expectError<std::runtime_error>([&] { throwCellError(CellKind::notAvailable, "n/a", context); },
                                  "t.tsv, line 3, column csf: n/a");
  expectError<std::invalid_argument>(
      [&] { throwCellError(CellKind::notANumber, "abc", context); },
      "invalid stof argument: t.tsv, line 3, column csf: \"abc\" is not a number");
  expectError<std::out_of_range>([&] { throwCellError(CellKind::outOfRange, "1e400", context); },
                                 "stof argument out of range: t.tsv, line 3, column csf: 1e400");
}

}  // namespace
}  // namespace duv
