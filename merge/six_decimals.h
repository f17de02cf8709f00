#pragma once

// What the six decimals of an SDM file (sdm_format.h) do to a column, and the power of ten that
// keeps a confound's information in them. A column of tiny values (squared rotations in
// radians, about 1e-7) is written as a constant or as a handful of values; a confound's scale
// changes no fit, so scaling it is a sound remedy. A main predictor's scale changes what its
// coefficient means, so it is only reported.

#include <cstddef>
#include <string>
#include <vector>

#include "design/design_matrix.h"

namespace duv {

// The bound on a column's rounding error: the root mean square of the differences between its
// values and their six-decimal form, relative to its sample standard deviation (both in double
// precision). Above it the column is distorted: its rounding noise is no longer small beside its
// variation (1 % of the deviation is 0.01 % of its variance).
inline constexpr double kDistortionBound = 0.01;

// A column whose deviation is at least this loses nothing in six decimals: its rounding errors
// stay below 1e-6, within kDistortionBound of the deviation.
inline constexpr double kNeverLostDeviation = 1e-6 / kDistortionBound;

enum class DecimalLoss { none, flattened, distorted };

struct DecimalLossOf {
  DecimalLoss loss = DecimalLoss::none;
  // The rounding error relative to the standard deviation (0 for a column that is not judged
  // or whose deviation is at least kNeverLostDeviation).
  double relativeError = 0.0;
};

// What writing `column` with six decimals does to it. Judged are columns of finite values of
// which at least two differ; any other column (constant, all zero, one value, holding NaN or an
// infinity) is none. The six-decimal form of a value is what an SDM file reads back
// (asReadBack). flattened: every value reads back the same; distorted: the relative rounding
// error lies strictly above kDistortionBound; none otherwise.
DecimalLossOf sixDecimalLoss(const std::vector<float>& column);

// One column that six decimals would flatten or distort.
struct DecimalRemedy {
  std::string name;
  bool confound = false;  // scaled when `exponent` is set; a main predictor never is
  DecimalLossOf loss;     // before any scaling
  // The least power of ten, 10^exponent with exponent from 1 to 38, whose product with every
  // value (in double precision, narrowed to float) leaves no loss; 0 when none does.
  int exponent = 0;
};

// Judges every predictor of `matrix` (sixDecimalLoss), in order, and multiplies each confound
// that has a loss and an exponent by 10^exponent in place. Main predictors, and confounds for
// which no exponent exists, are left as they are. Returns one entry per predictor with a loss.
std::vector<DecimalRemedy> keepInSixDecimals(DesignMatrix& matrix);

}  // namespace duv
