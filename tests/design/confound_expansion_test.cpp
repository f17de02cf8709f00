#include "design/confound_expansion.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "design/confound_table.h"
#include "tests/support/expect_error.h"

namespace duv {
namespace {

ConfoundTable twoColumns() {
  ConfoundTable table;
  table.fileName = "rp.txt";
  table.names = {"rp_1", "rp_2"};
  table.columns = {{0.1F, 0.3F, -0.2F}, {1.5F, 1.25F, 2.0F}};
  table.rows = 3;
  return table;
}

TEST(ConfoundExpansionTest, DifferencesAndSquaresAreSinglePrecisionInThePipelinesOrder) {
  auto table = twoColumns();
  expandMotion(table, true, true);
  EXPECT_EQ(table.names, (std::vector<std::string>{
                             "rp_1", "rp_2", "rp_1_derivative1", "rp_2_derivative1", "rp_1_power2",
                             "rp_2_power2", "rp_1_derivative1_power2", "rp_2_derivative1_power2"}));
  const float d1[] = {0.0F, 0.3F - 0.1F, -0.2F - 0.3F};
  const float d2[] = {0.0F, 1.25F - 1.5F, 2.0F - 1.25F};
  EXPECT_EQ(table.columns[2], (std::vector<float>{d1[0], d1[1], d1[2]}));
  EXPECT_EQ(table.columns[3], (std::vector<float>{0.0F, -0.25F, 0.75F}));
  EXPECT_EQ(table.columns[4], (std::vector<float>{0.1F * 0.1F, 0.3F * 0.3F, -0.2F * -0.2F}));
  EXPECT_EQ(table.columns[5], (std::vector<float>{2.25F, 1.5625F, 4.0F}));
  EXPECT_EQ(table.columns[6], (std::vector<float>{0.0F, d1[1] * d1[1], d1[2] * d1[2]}));
  EXPECT_EQ(table.columns[7], (std::vector<float>{0.0F, d2[1] * d2[1], d2[2] * d2[2]}));
  EXPECT_EQ(table.rows, 3U);
}

TEST(ConfoundExpansionTest, EachExpansionAlone) {
  auto derivatives = twoColumns();
  expandMotion(derivatives, true, false);
  EXPECT_EQ(derivatives.names,
            (std::vector<std::string>{"rp_1", "rp_2", "rp_1_derivative1", "rp_2_derivative1"}));
  auto squares = twoColumns();
  expandMotion(squares, false, true);
  EXPECT_EQ(squares.names,
            (std::vector<std::string>{"rp_1", "rp_2", "rp_1_power2", "rp_2_power2"}));
  EXPECT_EQ(squares.columns[3], (std::vector<float>{2.25F, 1.5625F, 4.0F}));
  auto neither = twoColumns();
  expandMotion(neither, false, false);
  EXPECT_EQ(neither.columns, twoColumns().columns);
}

TEST(ConfoundExpansionTest, ASingleRowHasADifferenceOfZero) {
  ConfoundTable table;
  table.names = {"m_1"};
  table.columns = {{4.0F}};
  table.rows = 1;
  expandMotion(table, true, true);
  EXPECT_EQ(table.columns, (std::vector<std::vector<float>>{{4.0F}, {0.0F}, {16.0F}, {0.0F}}));
}

TEST(ConfoundExpansionTest, VariantsBeyondTheDesignMatrixLimitAreRefused) {
  ConfoundTable table;
  table.fileName = "wide.txt";
  table.names.assign(25001, "c");
  table.columns.assign(25001, {});
  testing::expectError<std::runtime_error>(
      [&] { expandMotion(table, true, true); },
      "wide.txt: 100004 columns with their variants, more than the limit of 100000");
}

}  // namespace
}  // namespace duv
