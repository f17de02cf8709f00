// Fuzz target: contrast texts through the parser, then the parsed contrasts checked on a small
// design. Input layout:
//   byte 0         bit 0: the rest is a contrasts file (else a NAME=EXPRESSION option)
//   bytes 1 ...    the text
// What parses must be well formed (a name, distinct names, finite weights not all 0) and read
// back from its shortest form as the same terms; every contrast of the design's names gets a
// verdict, and any other name is refused.

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "check/contrast_expression.h"
#include "check/contrasts.h"
#include "check/design_check.h"
#include "design/design_matrix.h"
#include "fuzz/fuzz_checks.h"

namespace {

constexpr std::uint8_t kFile = 1;

// Four varying predictors (the last the sum of the first two), a zero column and a constant.
const duv::DesignCheck& designCheck() {
  static const duv::DesignCheck check = [] {
    duv::DesignMatrix design;
    design.predictorNames = {"Faces", "Houses", "Condition A", "1back", "zero", "Constant"};
    design.values = {{1, 0, 1, 0, 0, 1}, {0, 1, 1, 0, 1, 0}, {0, 2, 0, 1, 3, 1},
                     {1, 1, 2, 0, 1, 1}, {0, 0, 0, 0, 0, 0}, {1, 1, 1, 1, 1, 1}};
    const auto count = static_cast<std::int32_t>(design.values.size());
    design.nrOfPredictors.value = count;
    design.nrOfDataPoints.value = 6;
    design.firstConfoundPredictor.value = count;
    design.colorRed.assign(design.values.size(), 0);
    design.colorGreen.assign(design.values.size(), 0);
    design.colorBlue.assign(design.values.size(), 0);
    return duv::checkDesign(design, {});
  }();
  return check;
}

void checkParsed(const duv::Contrast& contrast) {
  if (contrast.name.empty()) duv::fuzz::fail("a contrast without a name");
  if (contrast.terms.empty()) duv::fuzz::fail("a contrast without terms");
  bool anyWeight = false;
  for (std::size_t i = 0; i < contrast.terms.size(); ++i) {
    const auto& term = contrast.terms[i];
    if (term.predictor.empty()) duv::fuzz::fail("an empty predictor name");
    if (!std::isfinite(term.weight)) duv::fuzz::fail("a weight that is not finite");
    if (term.weight != 0.0) anyWeight = true;
    for (std::size_t j = 0; j < i; ++j) {
      if (contrast.terms[j].predictor == term.predictor) duv::fuzz::fail("a name twice");
    }
  }
  if (!anyWeight) duv::fuzz::fail("all weights 0");

  const auto text = duv::formatExpression(contrast.terms);
  duv::Contrast again;
  try {
    again = duv::parseContrast(contrast.name, text);
  } catch (const std::invalid_argument& error) {
    std::fprintf(stderr, "%s\n", error.what());
    duv::fuzz::fail("the shortest form does not parse");
  }
  if (again.terms.size() != contrast.terms.size()) duv::fuzz::fail("the shortest form differs");
  for (std::size_t i = 0; i < again.terms.size(); ++i) {
    if (again.terms[i].predictor != contrast.terms[i].predictor ||
        again.terms[i].weight != contrast.terms[i].weight) {
      duv::fuzz::fail("the shortest form reads back as other terms");
    }
  }
}

void checkOnDesign(const duv::Contrast& contrast) {
  try {
    const auto result = duv::checkContrast(contrast, designCheck(), {});
    if (result.estimable() && !(std::isfinite(result.vif) && result.efficiency > 0.0)) {
      duv::fuzz::fail("an estimable contrast without a finite VIF and an efficiency");
    }
    if (!result.estimable() && result.level != duv::CheckLevel::error) {
      duv::fuzz::fail("a contrast that is not estimable is not an error");
    }
  } catch (const std::runtime_error&) {
    // A name the design does not have, or its constant.
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const bool isFile = (data[0] & kFile) != 0;
  const std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);
  std::vector<duv::Contrast> contrasts;
  try {
    if (isFile) {
      contrasts = duv::readContrasts(text, "fuzz.tsv");
    } else {
      contrasts.push_back(duv::parseContrastOption(text));
    }
  } catch (const std::invalid_argument&) {
    if (isFile) duv::fuzz::fail("a contrasts file refused with an option's error");
    return 0;  // refusing the text is an expected outcome
  } catch (const std::runtime_error&) {
    if (!isFile) duv::fuzz::fail("an option refused with a file's error");
    return 0;
  }
  for (const auto& contrast : contrasts) {
    checkParsed(contrast);
    checkOnDesign(contrast);
  }
  return 0;
}
