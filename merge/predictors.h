#pragma once

// Putting the predictors of one design matrix into another: where each goes, what happens to
// the counts, the confound boundary and the constant predictor, and the merged file name.

#include <cstdint>
#include <string>
#include <vector>

#include "design/design_matrix.h"

namespace duv {

// A column with at least one value, a first value that is not 0, and every value equal to the
// first (NaN equals nothing, so a column starting with NaN is not constant).
bool isConstantColumn(const std::vector<float>& column);

// isConstantColumn of the last predictor; false for a matrix without predictors.
bool lastColumnIsConstant(const DesignMatrix& matrix);

// Inserts one predictor: a confound at the end, or in front of a constant last predictor; a
// main predictor directly in front of the first confound. A column whose length differs from
// nrOfDataPoints, or a constant column behind a constant last predictor, is dropped silently.
void insertPredictor(DesignMatrix& matrix, const std::vector<float>& column,
                     const std::string& name, std::int32_t red, std::int32_t green,
                     std::int32_t blue, bool asConfound);

// Inserts all predictors of `other` in their order (when the data-point counts agree), then
// extends receiver.fileName with a suffix taken from other's file name.
void appendPredictors(DesignMatrix& receiver, const DesignMatrix& other);

// A copy of `base` with appendPredictors(copy, other) applied.
DesignMatrix mergedCopy(const DesignMatrix& base, const DesignMatrix& other);

}  // namespace duv
