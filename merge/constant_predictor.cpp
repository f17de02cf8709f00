#include "merge/constant_predictor.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "merge/predictors.h"
#include "numerics/column_statistics.h"

namespace duv {

void ensureConstant(DesignMatrix& matrix) {
  if (!lastColumnIsConstant(matrix)) {
    // A negative count must not size the column; insertPredictor then drops it for its length.
    const auto count = static_cast<std::size_t>(std::max(matrix.nrOfDataPoints.value, 0));
    insertPredictor(matrix, std::vector<float>(count, 1.0F), "Constant", 255, 255, 255, true);
  }
  matrix.nrOfPredictors.value = static_cast<std::int32_t>(matrix.values.size());
  matrix.includesConstant.value = true;
}

void removeConstant(DesignMatrix& matrix) {
  if (lastColumnIsConstant(matrix)) {
    matrix.values.pop_back();
    matrix.predictorNames.pop_back();
    matrix.colorRed.pop_back();
    matrix.colorGreen.pop_back();
    matrix.colorBlue.pop_back();
  }
  matrix.nrOfPredictors.value = static_cast<std::int32_t>(matrix.values.size());
  matrix.includesConstant.value = false;
  // A removed main predictor would otherwise leave the boundary one past "no confounds", a value
  // no reader of the written file expects.
  matrix.firstConfoundPredictor.value =
      std::min(matrix.firstConfoundPredictor.value, matrix.nrOfPredictors.value + 1);
}

}  // namespace duv
