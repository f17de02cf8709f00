#pragma once

// Random design matrices and matrices for the tests that compare the fast paths with the
// reference: the kinds of data that break numerical shortcuts (near-collinear columns, repeated
// and constant columns, signed zeros, NaN and infinities) in sizes around the vector widths.

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "design/design_matrix.h"
#include "stats/matrix.h"

namespace duv::testing {

enum class DesignKind {
  independent,      // normal values of mixed scales
  nearCollinear,    // columns that are sums of others plus noise down to the float's last bits
  repeatedColumns,  // bit-identical copies of earlier columns, ones among them
  constantColumns,  // constant columns anywhere, zero columns, a constant last or not
  roundValues,      // small integers and halves: exact zeros, -0, ties, equal correlations
  nonFinite,        // NaN and infinities among normal values
};

inline constexpr DesignKind kDesignKinds[] = {
    DesignKind::independent,     DesignKind::nearCollinear, DesignKind::repeatedColumns,
    DesignKind::constantColumns, DesignKind::roundValues,   DesignKind::nonFinite};

std::string nameOf(DesignKind kind);

// A design of `predictors` x `points` of that kind with a random first confound (1 to
// predictors + 1), names, colours and counts consistent; a last column of ones half the time.
DesignMatrix randomDesign(std::mt19937& random, DesignKind kind, std::int32_t predictors,
                          std::int32_t points);

// A rows x cols matrix of that kind's values (column-major, as the design's columns would be).
Matrix randomMatrix(std::mt19937& random, DesignKind kind, std::int32_t rows, std::int32_t cols);

// The bits of a float, for comparisons that tell -0 from 0.
std::uint32_t bitsOf(float value);

// Whether two results are the same: the same bits, or both NaN. Which NaN an operation on NaNs
// gives (its sign and payload) depends on the order in which the compiler puts the operands of
// a commutative operation, which C++ leaves open, so no output shows it: the report writes every
// NaN as "nan", and the table writes absolute values.
bool sameResult(float a, float b);

}  // namespace duv::testing
