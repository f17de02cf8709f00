// The constant-column tests the statistics rely on, for the stats tests to link until the
// predictor operations are built into the core.

#include "merge/predictors.h"

namespace duv {

bool isConstantColumn(const std::vector<float>& column) {
  if (column.empty() || column.front() == 0.0F) return false;
  for (const float x : column) {
    if (!(x == column.front())) return false;
  }
  return true;
}

bool lastColumnIsConstant(const DesignMatrix& matrix) {
  return !matrix.values.empty() && isConstantColumn(matrix.values.back());
}

}  // namespace duv
