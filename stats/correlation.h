#pragma once

// The correlation coefficient behind the correlation table and the report, and the table
// itself: a ".csv" file holding the absolute coefficient of every pair of predictors.
//
// All arithmetic is 32-bit float in index order; counts are converted to float where they
// enter a formula. Results are the same bits on every platform.

#include <iosfwd>
#include <string>
#include <string_view>
#include <vector>

#include "design/design_matrix.h"
#include "numerics/column_statistics.h"

namespace duv {

class FileSystem;

// A deviation below this (strictly; NaN is not below) makes a column correlate 0 with anything.
inline constexpr float kCorrelationDeviationThreshold = 0.0001F;

// Pearson's coefficient with sample deviations and the numerator from the raw sum of products:
// (p - mean_b * mean_a * n) / (s_b * s_a * (n - 1)), each product from left to right, with
// p = sum of a[k] * b[k] from 0 in index order. 0 when the lengths differ or either deviation is
// below kCorrelationDeviationThreshold. Not clamped to [-1, 1]. Swapping a and b gives the same
// bits.
float correlation(const std::vector<float>& a, const std::vector<float>& b);

// The same coefficient, bit for bit, from the columns' meanAndDeviation taken beforehand.
float correlation(const std::vector<float>& a, const MeanAndDeviation& ofA,
                  const std::vector<float>& b, const MeanAndDeviation& ofB);

// |correlation(values[i], values[j])| for every ordered pair of the matrix's first
// nrOfPredictors predictors, as element (i, j) of a square row-major table; the same bits as
// pair by pair, computed together: each column's mean and deviation once, and the sums of
// products of all pairs in one pass over the data points (each sum still in index order).
// Precondition: values holds nrOfPredictors entries.
std::vector<float> absoluteCorrelations(const DesignMatrix& matrix);

// Writes the table: a header line of " ; " + name for every entry of predictorNames, then for
// every predictor i < nrOfPredictors a line of its name followed by " ; " + |correlation(i, j)|
// for every j < nrOfPredictors, diagonal included. Values have two decimals ("nan" when not a
// number); names are written as they are. Every line ends with "\n".
// Precondition: predictorNames and values hold nrOfPredictors entries.
// A failure of the stream is left in its state, not thrown.
void writeCorrelationTable(const DesignMatrix& matrix, std::ostream& out);

// Where the table of the design matrix saved at `designPath` goes: beside it, the path without
// its extension followed by ".csv".
std::string correlationTablePath(std::string_view designPath);

// Writes the table to correlationTablePath(matrix.fileName), replacing that file only
// when complete. Throws std::runtime_error "Cannot Create file: " + that name when it cannot be
// created (nothing is written) and IOError "Failed writing file: " + that name when writing
// fails (the previous file is then left as it was).
void writeCorrelationTable(const DesignMatrix& matrix);
void writeCorrelationTable(const DesignMatrix& matrix, FileSystem& files);

}  // namespace duv
