#pragma once

// The constant (baseline) predictor at the end of a design matrix: adding it or removing it.
// Only the last predictor counts; a constant predictor elsewhere is neither found nor touched.

#include "design/design_matrix.h"

namespace duv {

// Makes the matrix end with a constant predictor: when its last predictor is not constant
// (lastColumnIsConstant), appends the confound "Constant", nrOfDataPoints values of 1.0, colour
// 255 255 255, without moving firstConfoundPredictor (so it becomes the first confound of a
// matrix that had none). A constant last predictor of any value and name is kept as it is.
// In every case nrOfPredictors becomes the number of columns and includesConstant true.
void ensureConstant(DesignMatrix& matrix);

// Removes a constant last predictor (its column, name and colour); any other last predictor is
// kept. In every case nrOfPredictors becomes the number of columns, includesConstant false, and
// firstConfoundPredictor is lowered to nrOfPredictors + 1 where it lies above that (so removing
// a constant main predictor of a matrix without confounds leaves it without confounds).
void removeConstant(DesignMatrix& matrix);

}  // namespace duv
