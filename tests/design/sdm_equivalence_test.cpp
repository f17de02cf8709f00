// SDM text written and read back against the C library's conversions: every row as printf
// writes its values, and every value read back as strtod (narrowed to float) reads it, on
// random designs with every kind of value.

#include <gtest/gtest.h>

#include <random>
#include <sstream>
#include <string>

#include "design/design_matrix.h"
#include "design/sdm_reader.h"
#include "design/sdm_writer.h"
#include "tests/reference/random_designs.h"
#include "tests/reference/reference_number_text.h"

namespace duv {
namespace {

using testing::kDesignKinds;
using testing::nameOf;
using testing::randomDesign;

// The rows as the format writes them: one blank before the first field, two before the others,
// one more before a value that is not negative, values with six decimals.
std::string referenceRows(const DesignMatrix& design) {
  std::string text;
  for (std::size_t t = 0; t < static_cast<std::size_t>(design.nrOfDataPoints.value); ++t) {
    for (std::size_t k = 0; k < design.values.size(); ++k) {
      const float x = design.values[k][t];
      text += k == 0 ? " " : "  ";
      if (x >= 0.0F) text += ' ';
      text += reference::fixed(x, 6);
    }
    text += '\n';
  }
  return text;
}

TEST(SdmEquivalenceTest, RowsAreWrittenAsPrintfWritesThemAndReadAsStrtodReadsThem) {
  unsigned seed = 0;
  for (const auto kind : kDesignKinds) {
    for (const std::int32_t predictors : {1, 3, 8, 17}) {
      std::mt19937 random(++seed);
      auto design = randomDesign(random, kind, predictors, 300);
      SCOPED_TRACE(nameOf(kind) + ", " + std::to_string(predictors) + " predictors");
      std::ostringstream out;
      writeSdm(design, out);
      const std::string text = out.str();
      const std::string rows = referenceRows(design);
      ASSERT_GE(text.size(), rows.size());
      EXPECT_EQ(text.substr(text.size() - rows.size()), rows);

      const auto read = readSdm(text, "random.sdm");
      for (std::size_t k = 0; k < design.values.size(); ++k) {
        for (std::size_t t = 0; t < design.values[k].size(); ++t) {
          const auto field = reference::fixed(design.values[k][t], 6);
          const auto expected = reference::scanDouble(field);
          const float value = static_cast<float>(expected.value);
          ASSERT_TRUE(testing::sameResult(read.values[k][t], value))
              << field << " read as " << read.values[k][t] << " instead of " << value;
        }
      }
    }
  }
}

}  // namespace
}  // namespace duv
