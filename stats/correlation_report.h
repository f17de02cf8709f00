#pragma once

// The correlation report: a ".txt" file telling where the predictors of a design matrix
// overlap. It lists the ten highest absolute correlations among the main predictors, between
// main predictors and confounds, and among the confounds, then for every predictor the R² of a
// least-squares fit on the other regressors with the three predictors it correlates with most:
//
//   Top 10 correlations between main predictors:
//   0.62 between  P1   and   P2
//   <empty line>
//   <empty line>
//   Top 10 correlations between main predictors and confounds:
//   0.41 between  P2   and   M1
//   <empty line>
//   <empty line>
//   Top 10 correlations between confounds:
//   0.75 between  M1   and   M2
//   <empty line>
//   <empty line>
//   R2 value for Multicollinearity, how much is a single predictor explained by other predictors:_
//   0.51 for "P2" which has the 3 highest correlations with:_
//      P1: 0.62   M1: 0.41   P3: 0.30
//   <empty line>
//
// ("_" marks a line that ends in a blank.) Values have two decimals; a value that is not a
// number is written "nan", infinities "inf" and "-inf". Every line ends with "\n".
//
// Positions, with N = nrOfPredictors and F = firstConfoundPredictor:
//   main count M = F - 1, taken into 0 .. N (F outside 1 .. N + 1 counts as the nearer end):
//     predictors 0 .. M-1 are main predictors, the others confounds;
//   end L = N - 1 when the last predictor is constant (lastColumnIsConstant), N otherwise:
//     predictors from L on stand in no mixed or confound list and as nobody's partner.
// Lists: main pairs 0 <= j < i < M, mixed pairs j < M <= i < L (main predictor first),
// confound pairs M <= j < i < L. Partners of predictor k: every j < L other than k.
//
// Ordering: lists and partners by value, highest first; R² entries by the pair (R², position),
// highest first, the first min(M, number of entries) entries (main predictors) sorted among
// themselves, then the rest. A NaN value sorts after every number, and equal values keep their
// order of generation (lists, partners) or go by the higher position first (R² entries).
//
// The coefficients of all pairs are computed together and the fits share one pass over the data
// (stats/correlation.h, stats/regression_fits.h); the results are the same bits as pair by pair
// and fit by fit.

#include <cstddef>
#include <cstdint>
#include <iosfwd>
#include <string>
#include <string_view>
#include <vector>

#include "design/design_matrix.h"
#include "stats/matrix.h"

namespace duv {

class FileSystem;

// One entry of a correlation list: |correlation| of two predictors and copies of their names.
struct CorrelationPair {
  float value = 0.0F;
  std::string firstName;
  std::string secondName;
};

// The R² of one predictor, by its position.
struct RSquared {
  float value = 0.0F;
  std::int32_t position = 0;
};

// nrOfDataPoints rows and one column per predictor holding its values, plus a last column of
// ones (the intercept) unless the last predictor is constant (then it is the intercept).
// Precondition: every predictor holds nrOfDataPoints >= 0 values.
Matrix buildRegressorMatrix(const DesignMatrix& matrix);

// The R² of every target, in target order: predictors 0 .. Q-2 of the Q regressor columns (all
// predictors but a constant last one). Each target y is fitted on the other regressor columns
// X, less every column whose bits repeat an earlier one of that X:
//   total = sum((y - mean(y))^2), A = inverse(X^T X), b = (A X^T) y, fit = X b,
//   R² = 1 - sum((y - fit)^2) / total   (float arithmetic as in stats/regression_fits.h; not
//   clamped).
// Empty without data points. Throws MatrixInversionError when an inverse cannot be formed.
// `workers` threads, the calling one among them, share the fits; the results are the same for
// any number (the plug-in keeps to the host's thread with 1).
std::vector<RSquared> rSquaredValues(const DesignMatrix& matrix, std::size_t workers = 1);

// Writes the report, its fits shared by `workers` threads as in rSquaredValues. The three list
// sections are written before any fit; when a fit throws MatrixInversionError they are all that
// was written, and the error passes on.
// Precondition: predictorNames and values hold nrOfPredictors entries of nrOfDataPoints values.
// A failure of the stream is left in its state, not thrown.
void writeCorrelationReport(const DesignMatrix& matrix, std::ostream& out, std::size_t workers = 1);

// Where the report of the design matrix saved at `designPath` goes: beside it, the path without
// its extension followed by ".txt".
std::string correlationReportPath(std::string_view designPath);

// Writes the report to correlationReportPath(matrix.fileName), replacing that file only
// when complete, except that after a MatrixInversionError the three list sections are put in
// its place before the error passes on. Throws std::runtime_error "Cannot Create file: " + that
// name when it cannot be created (nothing is written), and IOError "Failed writing file: " +
// that name when writing fails (the previous file is then left as it was).
void writeCorrelationReport(const DesignMatrix& matrix);
void writeCorrelationReport(const DesignMatrix& matrix, FileSystem& files, std::size_t workers = 1);

}  // namespace duv
