#pragma once

// Z-transformation of confound predictors: each non-constant column is centred on its mean and
// scaled to unit sample standard deviation, in single precision, in place.

#include <cstdint>
#include <vector>

#include "design/design_matrix.h"

namespace duv {

// Whether the column indicates one volume: 1 at exactly one data point and 0 at every other (a
// spike or outlier column).
bool isIndicatorColumn(const std::vector<float>& column);

// zTransformConfounds, but every confound that is an indicator column (isIndicatorColumn) stays
// 0 and 1: scaling would turn its one volume into a large value among small ones. Throws as
// zTransformFrom.
void zTransformConfoundsButIndicators(DesignMatrix& matrix);

// zTransformFrom(matrix, firstConfoundPredictor - 1): every confound; nothing when
// firstConfoundPredictor is 0 or less. Main predictors are never changed. Throws as
// zTransformFrom.
void zTransformConfounds(DesignMatrix& matrix);

// Transforms the columns from the 0-based index `first` to the last one; nothing when `first` is
// negative or not below the number of columns. A constant column (isConstantColumn) is left as it
// is. Every other column, with mean m and deviation s from meanAndDeviation taken before any
// value changes, gets each value x replaced by (x - m) / d, where d is s, or 1.0 when s is below
// 0.0001 (such a column is only centred). A NaN deviation is not below the threshold: a single
// data point of 0 becomes NaN. Counts, names, colours and flags are not touched.
// Throws std::runtime_error "<fileName>, column <name>: its z-transformation overflows single
// precision" for a column of two or more finite values whose mean, deviation or a result is not
// finite (its sums overflowed); the columns before it are then transformed, it and those after
// it may be partly so.
void zTransformFrom(DesignMatrix& matrix, std::int32_t first);

}  // namespace duv
