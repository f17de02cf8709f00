#include <algorithm>
#include <bit>
#include <cmath>
#include <cstddef>
#include <ostream>
#include <string>
#include <string_view>

#include "numerics/column_statistics.h"
#include "tests/reference/reference_number_text.h"
#include "tests/reference/reference_statistics.h"

namespace duv::reference {
namespace {

constexpr std::size_t kListLength = 10;
constexpr std::size_t kPartnerCount = 3;
constexpr int kDecimals = 2;

std::size_t indexOf(std::int32_t position) { return static_cast<std::size_t>(position); }

// ---------------------------------------------------------------------------------------------
// Positions and correlations

struct Positions {
  std::int32_t mainCount = 0;  // predictors below are main predictors
  std::int32_t end = 0;        // predictors from here on are in no mixed or confound list
};

Positions positionsOf(const DesignMatrix& matrix) {
  const std::int32_t count = std::max(matrix.nrOfPredictors.value, 0);
  const std::int32_t firstConfound = std::clamp(matrix.firstConfoundPredictor.value, 1, count + 1);
  return {firstConfound - 1, lastColumnIsConstant(matrix) ? count - 1 : count};
}

// |correlation| of two predictors, every column's mean and deviation taken once.
class Correlations {
 public:
  explicit Correlations(const DesignMatrix& matrix) : matrix_(matrix) {
    const auto count = indexOf(std::max(matrix.nrOfPredictors.value, 0));
    statistics_.reserve(count);
    for (std::size_t p = 0; p < count; ++p) {
      statistics_.push_back(reference::meanAndDeviation(matrix.values[p]));
    }
  }

  CorrelationPair pair(std::int32_t first, std::int32_t second) const {
    const auto j = indexOf(first);
    const auto i = indexOf(second);
    const float r = reference::correlation(matrix_.values[j], statistics_[j], matrix_.values[i],
                                           statistics_[i]);
    return {std::abs(r), matrix_.predictorNames[j], matrix_.predictorNames[i]};
  }

 private:
  const DesignMatrix& matrix_;
  std::vector<MeanAndDeviation> statistics_;
};

// ---------------------------------------------------------------------------------------------
// Ordering. NaN would break the strict weak ordering of a plain ">", so it is placed
// deliberately: after every number.

bool higherFirst(float a, float b) {
  if (std::isnan(b)) return !std::isnan(a);
  return a > b;
}

void sortHighestFirst(std::vector<CorrelationPair>& pairs) {
  std::stable_sort(pairs.begin(), pairs.end(),
                   [](const CorrelationPair& a, const CorrelationPair& b) {
                     return higherFirst(a.value, b.value);
                   });
}

// Positions are distinct, so this order is total.
bool higherEntryFirst(const RSquared& a, const RSquared& b) {
  if (higherFirst(a.value, b.value)) return true;
  if (higherFirst(b.value, a.value)) return false;
  return a.position > b.position;
}

void sortEntries(std::vector<RSquared>& entries, std::int32_t mainCount) {
  const auto mainEntries = std::min(indexOf(mainCount), entries.size());
  const auto split = entries.begin() + static_cast<std::ptrdiff_t>(mainEntries);
  std::sort(entries.begin(), split, higherEntryFirst);
  std::sort(split, entries.end(), higherEntryFirst);
}

// ---------------------------------------------------------------------------------------------
// Lists

struct CorrelationLists {
  std::vector<CorrelationPair> main;
  std::vector<CorrelationPair> mixed;
  std::vector<CorrelationPair> confound;
};

CorrelationLists buildLists(const Correlations& correlations, Positions positions) {
  const std::int32_t m = positions.mainCount;
  const std::int32_t l = positions.end;
  CorrelationLists lists;
  for (std::int32_t i = 1; i < m; ++i) {
    for (std::int32_t j = 0; j < i; ++j) lists.main.push_back(correlations.pair(j, i));
  }
  for (std::int32_t i = m; i < l; ++i) {
    for (std::int32_t j = 0; j < m; ++j) lists.mixed.push_back(correlations.pair(j, i));
  }
  for (std::int32_t i = m + 1; i < l; ++i) {
    for (std::int32_t j = m; j < i; ++j) lists.confound.push_back(correlations.pair(j, i));
  }
  sortHighestFirst(lists.main);
  sortHighestFirst(lists.mixed);
  sortHighestFirst(lists.confound);
  return lists;
}

std::vector<CorrelationPair> partnersOf(const Correlations& correlations, Positions positions,
                                        std::int32_t k) {
  std::vector<CorrelationPair> partners;
  for (std::int32_t j = 0; j < positions.end; ++j) {
    if (j != k) partners.push_back(correlations.pair(j, k));
  }
  sortHighestFirst(partners);
  return partners;
}

// ---------------------------------------------------------------------------------------------
// Text

// A NaN made by arithmetic (0 / 0) carries a sign that differs between processors, so the
// sign is not shown.
void appendValue(std::string& text, float value) {
  if (std::isnan(value)) {
    text += "nan";
    return;
  }
  text += fixed(value, kDecimals);
}

void appendListSection(std::string& text, std::string_view title,
                       const std::vector<CorrelationPair>& list) {
  text += title;
  text += '\n';
  const auto shown = std::min(list.size(), kListLength);
  for (std::size_t p = 0; p < shown; ++p) {
    appendValue(text, list[p].value);
    text += " between  ";
    text += list[p].firstName;
    text += "   and   ";
    text += list[p].secondName;
    text += '\n';
  }
}

std::string listSections(const CorrelationLists& lists) {
  std::string text;
  appendListSection(text, "Top 10 correlations between main predictors:", lists.main);
  appendListSection(text,
                    "\n\nTop 10 correlations between main predictors and confounds:", lists.mixed);
  appendListSection(text, "\n\nTop 10 correlations between confounds:", lists.confound);
  return text;
}

std::string rSquaredSection(const DesignMatrix& matrix, const std::vector<RSquared>& entries,
                            const Correlations& correlations, Positions positions) {
  std::string text =
      "\n\nR2 value for Multicollinearity, how much is a single predictor explained by other "
      "predictors: \n";
  for (const auto& entry : entries) {
    appendValue(text, entry.value);
    text += " for \"";
    text += matrix.predictorNames[indexOf(entry.position)];
    text += "\" which has the 3 highest correlations with: \n";
    const auto partners = partnersOf(correlations, positions, entry.position);
    const auto shown = std::min(partners.size(), kPartnerCount);
    for (std::size_t p = 0; p < shown; ++p) {
      text += "   ";
      text += partners[p].firstName;
      text += ": ";
      appendValue(text, partners[p].value);
    }
    text += "\n\n";
  }
  return text;
}

// ---------------------------------------------------------------------------------------------
// Fits

bool sameBits(const Matrix& matrix, std::int32_t first, std::int32_t second) {
  for (std::int32_t r = 0; r < matrix.rows(); ++r) {
    if (std::bit_cast<std::uint32_t>(matrix(r, first)) !=
        std::bit_cast<std::uint32_t>(matrix(r, second))) {
      return false;
    }
  }
  return true;
}

// For every column, the first column holding the same bits (itself when none does).
std::vector<std::int32_t> firstOfEqualColumns(const Matrix& matrix) {
  std::vector<std::int32_t> first(indexOf(matrix.cols()));
  for (std::int32_t c = 0; c < matrix.cols(); ++c) {
    first[indexOf(c)] = c;
    for (std::int32_t earlier = 0; earlier < c; ++earlier) {
      if (first[indexOf(earlier)] == earlier && sameBits(matrix, earlier, c)) {
        first[indexOf(c)] = earlier;
        break;
      }
    }
  }
  return first;
}

// The regressors of target k: every column but k, less the columns whose bits repeat an
// earlier one of them. A repeated column adds nothing to a least-squares fit, but it makes
// X^T X exactly singular, and the float inverse then turns rounding noise into nonsense R².
Matrix fitRegressors(const Matrix& regressors, const std::vector<std::int32_t>& firstOfEqual,
                     std::int32_t k) {
  Matrix x = reference::removeColumn(regressors, k);
  std::vector<bool> groupTaken(firstOfEqual.size(), false);
  std::vector<std::int32_t> repeats;  // positions in x
  for (std::int32_t c = 0; c < regressors.cols(); ++c) {
    if (c == k) continue;
    const auto group = indexOf(firstOfEqual[indexOf(c)]);
    if (groupTaken[group]) {
      repeats.push_back(c < k ? c : c - 1);
    } else {
      groupTaken[group] = true;
    }
  }
  for (auto repeat = repeats.rbegin(); repeat != repeats.rend(); ++repeat) {
    x = reference::removeColumn(x, *repeat);
  }
  return x;
}

float rSquared(const Vector& y, const Matrix& x) {
  const float mean = y.mean();
  const float total = (y - mean).squared().sum();
  const Matrix xTransposed = transpose(x);
  const Matrix a = inverse(xTransposed * x);
  const Vector b = (a * xTransposed) * y;
  const Vector fit = x * b;
  const float residual = (y - fit).squared().sum();
  return 1.0F - residual / total;
}

}  // namespace

Matrix buildRegressorMatrix(const DesignMatrix& matrix) {
  const std::int32_t count = std::max(matrix.nrOfPredictors.value, 0);
  const std::int32_t rows = matrix.nrOfDataPoints.value;
  Matrix regressors(rows, lastColumnIsConstant(matrix) ? count : count + 1, 1.0F);
  for (std::int32_t p = 0; p < count; ++p) {
    const auto& column = matrix.values[indexOf(p)];
    for (std::int32_t r = 0; r < rows; ++r) regressors(r, p) = column[indexOf(r)];
  }
  return regressors;
}

Matrix removeColumn(const Matrix& matrix, std::int32_t k) {
  Matrix result(matrix.rows(), matrix.cols() - 1);
  for (std::int32_t c = 0; c < matrix.cols(); ++c) {
    if (c == k) continue;
    const std::int32_t target = c < k ? c : c - 1;
    for (std::int32_t r = 0; r < matrix.rows(); ++r) result(r, target) = matrix(r, c);
  }
  return result;
}

std::vector<RSquared> rSquaredValues(const DesignMatrix& matrix) {
  std::vector<RSquared> entries;
  if (matrix.nrOfDataPoints.value < 1) return entries;
  const Matrix regressors = reference::buildRegressorMatrix(matrix);
  const auto firstOfEqual = firstOfEqualColumns(regressors);
  for (std::int32_t k = 0; k < regressors.cols() - 1; ++k) {
    const Vector y(matrix.values[indexOf(k)]);
    entries.push_back({rSquared(y, fitRegressors(regressors, firstOfEqual, k)), k});
  }
  return entries;
}

void writeCorrelationReport(const DesignMatrix& matrix, std::ostream& out) {
  const Positions positions = positionsOf(matrix);
  const Correlations correlations(matrix);
  out << listSections(buildLists(correlations, positions));
  auto entries = reference::rSquaredValues(matrix);
  sortEntries(entries, positions.mainCount);
  out << rSquaredSection(matrix, entries, correlations, positions);
}

}  // namespace duv::reference
