#pragma once

// Design diagnostics: is a design estimable (rank, residual degrees of freedom), which columns
// are constant, all zero or identical, which pairs correlate strongly, and how much of each
// predictor the others explain (R² and the variance inflation factor, VIF = 1 / (1 - R²)).
//
// Numerical diagnostics, computed in double precision from the design's float values; they
// are not the correlation report's single-precision numbers and need not match its R².
//
// How a design is judged:
//   - A column is constant when it has values, all equal and finite, the first not 0; all zero
//     when every value is 0 (or it has none); non-finite when a value is NaN or infinite. The
//     other columns vary. Constant, all-zero and non-finite columns stand outside the
//     correlations, R² and VIF.
//   - The design is judged as it is fitted: with a constant. Varying columns are centred and
//     scaled to unit length (standardised), and r, R², VIF, rank and the condition number come
//     from their correlation matrix R. When the design has no constant column, the fit's
//     constant (the one the correlation report adds) is counted in the degrees of freedom.
//   - rank = rank of R (within kDependencyTolerance) + 1 when the design has a constant column.
//     Residual degrees of freedom = data points - rank of R - 1.
//   - Dependencies (each one makes the design rank-deficient): every all-zero column on its
//     own; every constant column after the first, with the first; every varying column that
//     the varying columns taken before it explain up to kDependencyTolerance of its variance,
//     with those of them that carry weight (and the first constant column, when the
//     combination needs the constant). When the varying columns already span all that the
//     data points allow (rank of R = data points - 1), every further column is a combination
//     of all the others: such columns are not listed one by one (dataPointsExhausted), the
//     missing degrees of freedom say it.
//   - Condition number: sqrt(largest / smallest eigenvalue of R); infinite when the design is
//     rank-deficient (or holds a non-finite column), 1 with fewer than two varying columns.
//   - VIF of a varying column: infinite when it is in a dependency, else the diagonal entry of
//     the inverse of R restricted to the columns not left out as dependent (one factorisation
//     for all columns). R² = 1 - 1 / VIF.
//
// The task's view: confounds correlate by nature and their variances do not matter; what
// decides whether a fit can be trusted is the task predictors (the main predictors, less those
// that CheckThresholds::nuisancePatterns name) and their overlap with the confounds. So a
// design's status comes from the warnings that count toward it: every error, pairs with at
// least one task predictor, and the VIF of task predictors. Findings among confounds alone are
// kept, marked as not counted.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "check/correlation_factor.h"
#include "check/threshold_error.h"
#include "design/design_matrix.h"

namespace duv {

// |r| at or above this is "identical": the two columns are one up to scale and sign.
inline constexpr double kIdenticalCorrelation = 1.0 - 1e-6;
// A column counts as a combination of others when they leave less than this share of its
// variance unexplained (R² above 1 - 1e-8, VIF above 1e8).
inline constexpr double kDependencyTolerance = 1e-8;

// Ordered: a higher level is worse.
enum class CheckLevel { medium, high, error };

// "medium", "high", "error".
const char* levelName(CheckLevel level);

// Levels for correlations and VIF: at or above the high value is high, at or above the medium
// value medium.
struct CheckThresholds {
  double highCorrelation = 0.7;
  double mediumCorrelation = 0.4;
  double highVif = 10.0;
  double mediumVif = 5.0;
  // Leave out pairs of two confounds (motion terms correlate by nature), except identical ones.
  bool hideConfoundPairs = false;
  // Main predictors whose names match one of these ('*' for any text) count as confounds in
  // the task's view (drift or nuisance terms that a design keeps among its main predictors).
  std::vector<std::string> nuisancePatterns;
};

// Throws ThresholdError (check/threshold_error.h) naming the first setting that breaks
// 0 < medium correlation <= high correlation <= 1 and 1 <= medium VIF <= high VIF (both finite),
// e.g. "the high correlation must lie between the medium correlation and 1".
void validateThresholds(const CheckThresholds& thresholds);

enum class ColumnKind { varying, constant, zero, nonFinite };
enum class ColumnRole { main, confound };

struct Partner {
  std::size_t column = 0;  // position in the design
  double r = 0.0;          // signed
};

struct ColumnCheck {
  std::string name;
  ColumnRole role = ColumnRole::main;  // by the design's FirstConfoundPredictor
  // A main predictor that no nuisance pattern names: one the task's view is about.
  bool task = false;
  ColumnKind kind = ColumnKind::varying;
  // For varying columns only; VIF infinite (R² 1) for a column in a dependency.
  std::optional<double> rSquared;
  std::optional<double> vif;
  // The (up to) three varying columns it correlates with most, highest |r| first.
  std::vector<Partner> partners;
};

struct ColumnPair {
  std::size_t first = 0;  // positions, first < second
  std::size_t second = 0;
  double r = 0.0;  // signed
};

enum class WarningKind {
  nonFinite,         // column: a value is not a number
  degreesOfFreedom,  // no residual degrees of freedom left (value: the degrees of freedom)
  dependency,        // columns: one exact dependency
  identical,         // columns: a pair with |r| >= kIdenticalCorrelation (value: r)
  correlation,       // columns: a pair at or above a correlation threshold (value: r)
  vif,               // column: VIF at or above a threshold (value: VIF)
};

struct CheckWarning {
  CheckLevel level = CheckLevel::medium;
  WarningKind kind = WarningKind::correlation;
  std::vector<std::size_t> columns;  // positions in the design, ascending for dependencies
  double value = 0.0;
  // Counts toward the design's status: an error, or a finding that names a task predictor.
  bool counted = true;
};

struct DesignCheck {
  std::size_t dataPoints = 0;
  std::size_t mainPredictors = 0;  // main predictors that are not constant
  std::size_t confounds = 0;       // confounds that are not constant
  std::size_t constants = 0;       // constant columns, main or confound
  std::size_t rank = 0;
  std::int64_t residualDegreesOfFreedom = 0;
  double conditionNumber = 1.0;  // infinity when rank-deficient

  std::vector<ColumnCheck> columns;  // one per predictor, in design order
  // The varying columns (positions), and their correlation matrix: r of varying[i] and
  // varying[j] at correlations[i * varying.size() + j].
  std::vector<std::size_t> varying;
  std::vector<double> correlations;
  std::vector<std::vector<std::size_t>> dependencies;
  // More varying columns than the data points can tell apart; their dependencies not listed.
  bool dataPointsExhausted = false;
  // The pair with the highest |r| (confound pairs left out when hidden); none with fewer than
  // two varying columns.
  std::optional<ColumnPair> strongestPair;
  // The same among the pairs with at least one task predictor.
  std::optional<ColumnPair> strongestTaskPair;
  // Sorted by level (worst first), then kind in the order of WarningKind, then |value|
  // (largest first), then positions.
  std::vector<CheckWarning> warnings;
  // The factorisation of `correlations` with the varying columns' moments, for contrasts.
  CorrelationFactor correlationFactor;

  std::size_t predictors() const { return columns.size(); }
  bool rankDeficient() const { return rank < predictors(); }
  // The status: the worst level of the warnings that count toward it; none when there are
  // none.
  std::optional<CheckLevel> level() const;
  // The worst level of all warnings, counted or not.
  std::optional<CheckLevel> levelOfAll() const;
  // The varying column with the highest VIF (the first of equals); none without varying
  // columns. highestTaskVif: among the task predictors.
  std::optional<std::size_t> highestVif() const;
  std::optional<std::size_t> highestTaskVif() const;
  // r (signed) of two varying columns, by position in the design. Precondition: both vary.
  double correlationOf(std::size_t first, std::size_t second) const;
};

// Checks a design. Predictors at 0-based positions below firstConfoundPredictor - 1 (taken into
// 0 .. nrOfPredictors) are main predictors; those that no nuisance pattern names are the task
// predictors. Precondition: the DesignMatrix invariants (as the
// readers leave them). Throws only what allocation throws.
// Work: O(m² n) for the correlations of m varying columns over n data points, O(m r²) for the
// factorisation of rank r <= n - 1, and no more than that for the dependent columns however
// many there are; memory: the m² correlations once, and O(m n) besides.
DesignCheck checkDesign(const DesignMatrix& design, const CheckThresholds& thresholds);

}  // namespace duv
