#pragma once

// Contrasts on a checked design: can the design estimate them, and how much do its
// correlations cost them.
//
// A contrast's vector c has one weight per predictor of the design: the contrast's weight for a
// predictor it names, 0 elsewhere. The design is taken as checkDesign models it: with a
// constant (one is added when the design has none), non-finite columns left out.
//   - Estimable: c lies in the row space of that design, i.e. it is orthogonal to each null
//     vector of the design (one per dependency: the combination of its columns that is 0). A
//     contrast giving weight to an all-zero column is not estimable, nor is one giving weight
//     to a column that holds non-finite values. With w = c D^-1 (D: the centred columns'
//     lengths), orthogonal means |w · u| <= 1e-4 max |w_i| for each null vector u on the
//     standardised scale: the check's own bound for a column's weight in a dependency, so that
//     a one-predictor contrast is estimable exactly when its predictor's VIF is finite.
//   - Contrast VIF: c R⁺ c^T / c c^T, with R the correlation matrix of the varying columns
//     (centred and scaled to unit length) and R⁺ its pseudo-inverse, c taken as weights of the
//     standardised columns: how much the correlations inflate the contrast's variance against
//     uncorrelated columns (a one-predictor contrast gives that predictor's VIF). It may lie
//     below 1: correlations can also help a contrast.
//   - Efficiency: 1 / (c (X^T X)⁺ c^T) for the raw design X with its constant: it depends on the
//     predictors' scale. Computed as 1 / (w R⁺ w^T) with w = c D^-1, D the centred columns'
//     lengths, which it equals for an estimable contrast giving the constant no weight.
//   - Levels: not estimable is an error; a contrast VIF at or above the high threshold is high,
//     at or above the medium one medium.
// Each contrast reuses the check's factorisation: O(p²) work, no factorisation of its own.

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "check/contrast_expression.h"
#include "check/design_check.h"

namespace duv {

struct ContrastThresholds {
  double highVif = 10.0;
  double mediumVif = 5.0;
};

// Throws ThresholdError (check/threshold_error.h) naming the setting unless 1 <= medium <= high,
// both finite: "the medium contrast VIF must be at least 1", "the high contrast VIF must be at
// least the medium contrast VIF".
void validateContrastThresholds(const ContrastThresholds& thresholds);

struct ContrastCheck {
  std::string name;
  // c: one weight per predictor of the design, in design order.
  std::vector<double> weights;
  // Why it is not estimable; both empty when it is. Every dependency of the design that the
  // contrast is not orthogonal to, as DesignCheck::dependencies lists it (positions, ascending;
  // an all-zero column on its own). When the check does not list its dependencies one by one
  // (dataPointsExhausted), a dependency here is a dependent column with the columns carrying
  // weight in its combination, without the constant.
  std::vector<std::vector<std::size_t>> dependencies;
  // The columns with non-finite values that the contrast gives weight to, ascending.
  std::vector<std::size_t> nonFinite;
  // Contrast VIF: infinite when not estimable.
  double vif = 1.0;
  // 0 when not estimable.
  double efficiency = 0.0;
  // error when not estimable, else high or medium by the thresholds; none below them.
  std::optional<CheckLevel> level;

  bool estimable() const { return dependencies.empty() && nonFinite.empty(); }
};

// Checks `contrast` on the design that `check` (checkDesign's result) describes. Throws
// std::runtime_error when the contrast names a predictor the design does not have (with up to three
// close names), a name two or more predictors have, or a constant predictor:
//   contrast "F-H" names "Facs", which the design does not have (close: "Faces", "Face2")
//   contrast "F-H" names "Faces", which is ambiguous: predictors 2 and 5 have that name
//   contrast "F-H" names "Constant", a constant predictor: contrasts weigh predictors that vary
// (positions from 1). Close names are the design's names within max(2, length / 3) edits of the
// name given (ignoring case), closest first, then in design order.
ContrastCheck checkContrast(const Contrast& contrast, const DesignCheck& check,
                            const ContrastThresholds& thresholds);

}  // namespace duv
