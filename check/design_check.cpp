#include "check/design_check.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <stdexcept>
#include <tuple>
#include <utility>

#include "check/symmetric_matrix.h"
#include "check/threshold_error.h"
#include "design/confound_selection.h"

namespace duv {
namespace {

constexpr double kInfinity = std::numeric_limits<double>::infinity();
// A column carries weight in a dependency when its standardised coefficient reaches this: the
// square root of kDependencyTolerance, below which a term cannot matter at that tolerance.
constexpr double kWeightTolerance = 1e-4;
// A dependency needs the constant when its combination of raw columns is a constant this large
// relative to the size of its terms.
constexpr double kOffsetTolerance = 1e-4;

// A column's statistics in double precision.
struct ColumnMoments {
  double mean = 0.0;
  double norm = 0.0;  // length of the centred column
  double rms = 0.0;   // root mean square of the raw values
};

ColumnKind kindOf(const std::vector<float>& column) {
  bool allZero = true;
  for (const float value : column) {
    if (!std::isfinite(value)) return ColumnKind::nonFinite;
    if (value != 0.0F) allZero = false;
  }
  if (allZero) return ColumnKind::zero;
  const float first = column.front();
  const bool allEqual =
      std::all_of(column.begin(), column.end(), [first](float value) { return value == first; });
  return allEqual ? ColumnKind::constant : ColumnKind::varying;
}

ColumnMoments momentsOf(const std::vector<float>& column) {
  ColumnMoments moments;
  const auto n = static_cast<double>(column.size());
  double sum = 0.0;
  double squares = 0.0;
  for (const float value : column) {
    sum += static_cast<double>(value);
    squares += static_cast<double>(value) * static_cast<double>(value);
  }
  moments.mean = sum / n;
  moments.rms = std::sqrt(squares / n);
  double centred = 0.0;
  for (const float value : column) {
    const double d = static_cast<double>(value) - moments.mean;
    centred += d * d;
  }
  moments.norm = std::sqrt(centred);
  return moments;
}

// The standardised columns and their correlation matrix.
struct Standardised {
  std::vector<ColumnMoments> moments;
  SymmetricMatrix correlations{0};
};

Standardised standardise(const DesignMatrix& design, const std::vector<std::size_t>& varying) {
  Standardised result;
  const std::size_t m = varying.size();
  std::vector<std::vector<double>> z(m);
  for (std::size_t i = 0; i < m; ++i) {
    const auto& column = design.values[varying[i]];
    const auto moments = momentsOf(column);
    result.moments.push_back(moments);
    z[i].reserve(column.size());
    for (const float value : column) {
      z[i].push_back((static_cast<double>(value) - moments.mean) / moments.norm);
    }
  }
  result.correlations = SymmetricMatrix(m);
  for (std::size_t i = 0; i < m; ++i) {
    for (std::size_t j = 0; j <= i; ++j) {
      double dot = 0.0;
      for (std::size_t t = 0; t < z[i].size(); ++t) dot += z[i][t] * z[j][t];
      dot = std::clamp(dot, -1.0, 1.0);
      result.correlations.at(i, j) = dot;
      result.correlations.at(j, i) = dot;
    }
  }
  return result;
}

// Whether the combination column j = sum c[k] * pivot k (standardised) is, in raw values, a
// combination equal to a non-zero constant.
bool needsConstant(const Standardised& s, const PivotedCholesky& factor, std::size_t j,
                   const std::vector<double>& c) {
  const auto& mj = s.moments[j];
  double offset = mj.mean / mj.norm;
  double scale = mj.rms / mj.norm;
  for (std::size_t k = 0; k < c.size(); ++k) {
    const auto& mk = s.moments[factor.pivots[k]];
    offset -= c[k] * mk.mean / mk.norm;
    scale += std::abs(c[k]) * mk.rms / mk.norm;
  }
  return std::abs(offset) > kOffsetTolerance * scale;
}

void addDependencies(DesignCheck& check, const Standardised& s, const PivotedCholesky& factor,
                     const std::vector<std::size_t>& constantColumns) {
  std::vector<bool> inDependency(check.varying.size(), false);
  check.dataPointsExhausted = !factor.dependent.empty() && factor.rank() + 1 >= check.dataPoints;
  if (check.dataPointsExhausted) inDependency.assign(inDependency.size(), true);
  for (const std::size_t j :
       check.dataPointsExhausted ? std::vector<std::size_t>{} : factor.dependent) {
    const auto c = factor.combinationOf(j);
    std::vector<std::size_t> columns{check.varying[j]};
    inDependency[j] = true;
    for (std::size_t k = 0; k < c.size(); ++k) {
      if (std::abs(c[k]) < kWeightTolerance) continue;
      columns.push_back(check.varying[factor.pivots[k]]);
      inDependency[factor.pivots[k]] = true;
    }
    if (!constantColumns.empty() && needsConstant(s, factor, j, c)) {
      columns.push_back(constantColumns.front());
    }
    std::sort(columns.begin(), columns.end());
    check.dependencies.push_back(std::move(columns));
  }
  // VIF from the inverse of R over the independent columns: the dependent ones add nothing
  // to the space the others span, unless they involve the column itself (then it is infinite).
  const auto inverse = factor.inverseDiagonal();
  for (std::size_t k = 0; k < factor.rank(); ++k) {
    const std::size_t i = factor.pivots[k];
    auto& column = check.columns[check.varying[i]];
    column.vif = inDependency[i] ? kInfinity : std::max(1.0, inverse[k]);
  }
  for (const std::size_t j : factor.dependent) check.columns[check.varying[j]].vif = kInfinity;
  for (const std::size_t i : check.varying) {
    auto& column = check.columns[i];
    column.rSquared = std::isinf(*column.vif) ? 1.0 : 1.0 - 1.0 / *column.vif;
  }
}

// addDependencies lists the varying columns' dependencies from `firstListed` on, in the order
// of factor.dependent, unless the data points are exhausted.
void keepFactor(DesignCheck& check, const Standardised& s, PivotedCholesky factor,
                std::size_t firstListed) {
  std::vector<double> means;
  std::vector<double> norms;
  for (const auto& moments : s.moments) {
    means.push_back(moments.mean);
    norms.push_back(moments.norm);
  }
  check.correlationFactor =
      factorCorrelations(std::move(means), std::move(norms), std::move(factor),
                         check.dataPointsExhausted ? std::nullopt : std::optional(firstListed));
}

void addPartners(DesignCheck& check) {
  const std::size_t m = check.varying.size();
  // One buffer for every column, the three kept copied out: a column keeping a buffer of all
  // its partners would make the check's memory quadratic in the columns.
  std::vector<Partner> partners;
  partners.reserve(m);
  for (std::size_t i = 0; i < m; ++i) {
    partners.clear();
    for (std::size_t j = 0; j < m; ++j) {
      if (j != i) partners.push_back({check.varying[j], check.correlations[i * m + j]});
    }
    const auto count = std::min<std::size_t>(3, partners.size());
    std::partial_sort(partners.begin(), partners.begin() + static_cast<std::ptrdiff_t>(count),
                      partners.end(), [](const Partner& a, const Partner& b) {
                        const double ra = std::abs(a.r);
                        const double rb = std::abs(b.r);
                        return ra != rb ? ra > rb : a.column < b.column;
                      });
    check.columns[check.varying[i]].partners.assign(
        partners.begin(), partners.begin() + static_cast<std::ptrdiff_t>(count));
  }
}

void keepStronger(std::optional<ColumnPair>& strongest, const ColumnPair& pair) {
  if (!strongest || std::abs(pair.r) > std::abs(strongest->r)) strongest = pair;
}

void addPairWarnings(DesignCheck& check, const CheckThresholds& thresholds) {
  const std::size_t m = check.varying.size();
  for (std::size_t i = 0; i < m; ++i) {
    for (std::size_t j = i + 1; j < m; ++j) {
      const ColumnPair pair{check.varying[i], check.varying[j], check.correlations[i * m + j]};
      const double size = std::abs(pair.r);
      const bool identical = size >= kIdenticalCorrelation;
      const bool confoundPair = check.columns[pair.first].role == ColumnRole::confound &&
                                check.columns[pair.second].role == ColumnRole::confound;
      if (thresholds.hideConfoundPairs && confoundPair && !identical) continue;
      const bool taskPair = check.columns[pair.first].task || check.columns[pair.second].task;
      keepStronger(check.strongestPair, pair);
      if (taskPair) keepStronger(check.strongestTaskPair, pair);
      if (!identical && size < thresholds.mediumCorrelation) continue;  // no warning to make
      const std::vector<std::size_t> columns{pair.first, pair.second};
      if (identical) {
        check.warnings.push_back({CheckLevel::error, WarningKind::identical, columns, pair.r});
      } else if (size >= thresholds.highCorrelation) {
        check.warnings.push_back(
            {CheckLevel::high, WarningKind::correlation, columns, pair.r, taskPair});
      } else if (size >= thresholds.mediumCorrelation) {
        check.warnings.push_back(
            {CheckLevel::medium, WarningKind::correlation, columns, pair.r, taskPair});
      }
    }
  }
}

void addColumnWarnings(DesignCheck& check, const CheckThresholds& thresholds) {
  for (std::size_t p = 0; p < check.columns.size(); ++p) {
    const auto& column = check.columns[p];
    if (column.kind == ColumnKind::nonFinite) {
      check.warnings.push_back({CheckLevel::error, WarningKind::nonFinite, {p}, 0.0});
    }
    if (!column.vif || std::isinf(*column.vif)) continue;
    if (*column.vif >= thresholds.highVif) {
      check.warnings.push_back({CheckLevel::high, WarningKind::vif, {p}, *column.vif, column.task});
    } else if (*column.vif >= thresholds.mediumVif) {
      check.warnings.push_back(
          {CheckLevel::medium, WarningKind::vif, {p}, *column.vif, column.task});
    }
  }
  if (check.residualDegreesOfFreedom <= 0) {
    check.warnings.push_back({CheckLevel::error,
                              WarningKind::degreesOfFreedom,
                              {},
                              static_cast<double>(check.residualDegreesOfFreedom)});
  }
  // A dependency of two identical columns is told once, as the identical pair.
  const auto identicalPair = [&check](const std::vector<std::size_t>& columns) {
    return std::any_of(check.warnings.begin(), check.warnings.end(), [&](const CheckWarning& w) {
      return w.kind == WarningKind::identical && w.columns == columns;
    });
  };
  for (const auto& dependency : check.dependencies) {
    if (identicalPair(dependency)) continue;
    check.warnings.push_back({CheckLevel::error, WarningKind::dependency, dependency, 0.0});
  }
}

void sortWarnings(std::vector<CheckWarning>& warnings) {
  std::stable_sort(warnings.begin(), warnings.end(),
                   [](const CheckWarning& a, const CheckWarning& b) {
                     if (a.level != b.level) return a.level > b.level;
                     if (a.kind != b.kind) return a.kind < b.kind;
                     const double va = std::abs(a.value);
                     const double vb = std::abs(b.value);
                     if (va != vb) return va > vb;
                     return a.columns < b.columns;
                   });
}

double conditionNumberOf(const SymmetricMatrix& correlations) {
  if (correlations.size() < 2) return 1.0;
  const auto eigenvalues = symmetricEigenvalues(correlations);
  const double smallest = eigenvalues.front();
  if (!(smallest > 0.0)) return kInfinity;
  return std::sqrt(eigenvalues.back() / smallest);
}

}  // namespace

const char* levelName(CheckLevel level) {
  switch (level) {
    case CheckLevel::medium:
      return "medium";
    case CheckLevel::high:
      return "high";
    case CheckLevel::error:
      return "error";
  }
  return "";
}

void validateThresholds(const CheckThresholds& t) {
  if (!(t.mediumCorrelation > 0.0 && t.mediumCorrelation <= 1.0)) {
    throw ThresholdError(ThresholdSetting::mediumCorrelation, ThresholdRule::aboveZeroAtMostOne);
  }
  if (!(t.highCorrelation >= t.mediumCorrelation && t.highCorrelation <= 1.0)) {
    throw ThresholdError(ThresholdSetting::highCorrelation, ThresholdRule::betweenMediumAndOne);
  }
  if (!(t.mediumVif >= 1.0 && std::isfinite(t.mediumVif))) {
    throw ThresholdError(ThresholdSetting::mediumVif, ThresholdRule::atLeastOne);
  }
  if (!(t.highVif >= t.mediumVif && std::isfinite(t.highVif))) {
    throw ThresholdError(ThresholdSetting::highVif, ThresholdRule::atLeastMedium);
  }
}

std::optional<CheckLevel> DesignCheck::level() const {
  std::optional<CheckLevel> worst;
  for (const auto& warning : warnings) {
    if (warning.counted && (!worst || warning.level > *worst)) worst = warning.level;
  }
  return worst;
}

std::optional<CheckLevel> DesignCheck::levelOfAll() const {
  std::optional<CheckLevel> worst;
  for (const auto& warning : warnings) {
    if (!worst || warning.level > *worst) worst = warning.level;
  }
  return worst;
}

std::optional<std::size_t> DesignCheck::highestVif() const {
  std::optional<std::size_t> highest;
  for (const std::size_t p : varying) {
    if (!highest || *columns[p].vif > *columns[*highest].vif) highest = p;
  }
  return highest;
}

std::optional<std::size_t> DesignCheck::highestTaskVif() const {
  std::optional<std::size_t> highest;
  for (const std::size_t p : varying) {
    if (!columns[p].task) continue;
    if (!highest || *columns[p].vif > *columns[*highest].vif) highest = p;
  }
  return highest;
}

double DesignCheck::correlationOf(std::size_t first, std::size_t second) const {
  const auto indexOf = [this](std::size_t position) {
    return static_cast<std::size_t>(std::lower_bound(varying.begin(), varying.end(), position) -
                                    varying.begin());
  };
  return correlations[indexOf(first) * varying.size() + indexOf(second)];
}

DesignCheck checkDesign(const DesignMatrix& design, const CheckThresholds& thresholds) {
  DesignCheck check;
  const std::size_t n = static_cast<std::size_t>(std::max(0, design.nrOfDataPoints.value));
  const std::size_t predictors = design.values.size();
  const auto mainCount = static_cast<std::size_t>(
      std::clamp<std::int64_t>(static_cast<std::int64_t>(design.firstConfoundPredictor.value) - 1,
                               0, static_cast<std::int64_t>(predictors)));
  check.dataPoints = n;

  std::vector<std::size_t> constantColumns;
  for (std::size_t p = 0; p < predictors; ++p) {
    ColumnCheck column;
    column.name = p < design.predictorNames.size() ? design.predictorNames[p] : std::string();
    column.role = p < mainCount ? ColumnRole::main : ColumnRole::confound;
    column.task =
        column.role == ColumnRole::main &&
        std::none_of(
            thresholds.nuisancePatterns.begin(), thresholds.nuisancePatterns.end(),
            [&column](const std::string& pattern) { return matchesPattern(column.name, pattern); });
    column.kind = design.values[p].empty() ? ColumnKind::zero : kindOf(design.values[p]);
    if (column.kind == ColumnKind::constant) {
      constantColumns.push_back(p);
    } else if (column.role == ColumnRole::main) {
      ++check.mainPredictors;
    } else {
      ++check.confounds;
    }
    if (column.kind == ColumnKind::varying) check.varying.push_back(p);
    if (column.kind == ColumnKind::zero) check.dependencies.push_back({p});
    check.columns.push_back(std::move(column));
  }
  check.constants = constantColumns.size();
  for (std::size_t k = 1; k < constantColumns.size(); ++k) {
    check.dependencies.push_back({constantColumns.front(), constantColumns[k]});
  }

  auto standardised = standardise(design, check.varying);
  auto factor = pivotedCholesky(standardised.correlations, kDependencyTolerance);
  const std::size_t firstVaryingDependency = check.dependencies.size();
  addDependencies(check, standardised, factor, constantColumns);

  const std::size_t centredRank = factor.rank();
  check.rank = centredRank + (constantColumns.empty() ? 0 : 1);
  check.residualDegreesOfFreedom =
      static_cast<std::int64_t>(n) - static_cast<std::int64_t>(centredRank) - 1;
  check.conditionNumber =
      check.rankDeficient() ? kInfinity : conditionNumberOf(standardised.correlations);
  keepFactor(check, standardised, std::move(factor), firstVaryingDependency);
  // The same values, row by row: moved rather than copied, as a design of many columns could
  // not hold two.
  check.correlations = standardised.correlations.releaseValues();

  addPartners(check);
  addPairWarnings(check, thresholds);
  addColumnWarnings(check, thresholds);
  sortWarnings(check.warnings);
  return check;
}

}  // namespace duv
