#include "stats/correlation_report.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstddef>
#include <ostream>
#include <string_view>

#include "design/errors.h"
#include "design/file_system.h"
#include "design/number_text.h"
#include "design/paths.h"
#include "numerics/column_statistics.h"
#include "stats/correlation.h"
#include "stats/regression_fits.h"

namespace duv {
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

// |correlation| of every pair of predictors, all computed at once.
class Correlations {
 public:
  explicit Correlations(const DesignMatrix& matrix)
      : count_(indexOf(std::max(matrix.nrOfPredictors.value, 0))),
        values_(absoluteCorrelations(matrix)) {}

  float value(std::int32_t first, std::int32_t second) const {
    return values_[indexOf(first) * count_ + indexOf(second)];
  }

 private:
  std::size_t count_;
  std::vector<float> values_;
};

// ---------------------------------------------------------------------------------------------
// Ordering. NaN would break the strict weak ordering of a plain ">", so it is placed
// deliberately: after every number.

bool higherFirst(float a, float b) {
  if (std::isnan(b)) return !std::isnan(a);
  return a > b;
}

// A pair that may enter a list: its value, its place in the order of generation, and its two
// predictors. Only the pairs shown get their names.
struct Candidate {
  float value;
  std::uint32_t order;
  std::int32_t first;
  std::int32_t second;
};

// Highest value first, equal values in their order of generation: the order a stable sort by
// value gives, as a total order, so that sorting only the pairs shown gives the same ones.
bool shownBefore(const Candidate& a, const Candidate& b) {
  if (higherFirst(a.value, b.value)) return true;
  if (higherFirst(b.value, a.value)) return false;
  return a.order < b.order;
}

// The first `count` candidates in that order, with their names.
std::vector<CorrelationPair> firstPairs(std::vector<Candidate>& candidates, std::size_t count,
                                        const DesignMatrix& matrix) {
  const auto shown = std::min(count, candidates.size());
  const auto end = candidates.begin() + static_cast<std::ptrdiff_t>(shown);
  std::partial_sort(candidates.begin(), end, candidates.end(), shownBefore);
  std::vector<CorrelationPair> pairs;
  pairs.reserve(shown);
  for (auto candidate = candidates.begin(); candidate != end; ++candidate) {
    pairs.push_back({candidate->value, matrix.predictorNames[indexOf(candidate->first)],
                     matrix.predictorNames[indexOf(candidate->second)]});
  }
  return pairs;
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
// Lists: the pairs shown of each, in order.

struct CorrelationLists {
  std::vector<CorrelationPair> main;
  std::vector<CorrelationPair> mixed;
  std::vector<CorrelationPair> confound;
};

class CandidateList {
 public:
  explicit CandidateList(const Correlations& correlations) : correlations_(correlations) {}
  void add(std::int32_t first, std::int32_t second) {
    candidates_.push_back({correlations_.value(first, second),
                           static_cast<std::uint32_t>(candidates_.size()), first, second});
  }
  std::vector<Candidate>& candidates() { return candidates_; }

 private:
  const Correlations& correlations_;
  std::vector<Candidate> candidates_;
};

CorrelationLists buildLists(const DesignMatrix& matrix, const Correlations& correlations,
                            Positions positions) {
  const std::int32_t m = positions.mainCount;
  const std::int32_t l = positions.end;
  CandidateList main(correlations);
  for (std::int32_t i = 1; i < m; ++i) {
    for (std::int32_t j = 0; j < i; ++j) main.add(j, i);
  }
  CandidateList mixed(correlations);
  for (std::int32_t i = m; i < l; ++i) {
    for (std::int32_t j = 0; j < m; ++j) mixed.add(j, i);
  }
  CandidateList confound(correlations);
  for (std::int32_t i = m + 1; i < l; ++i) {
    for (std::int32_t j = m; j < i; ++j) confound.add(j, i);
  }
  return {firstPairs(main.candidates(), kListLength, matrix),
          firstPairs(mixed.candidates(), kListLength, matrix),
          firstPairs(confound.candidates(), kListLength, matrix)};
}

std::vector<CorrelationPair> partnersOf(const DesignMatrix& matrix,
                                        const Correlations& correlations, Positions positions,
                                        std::int32_t k) {
  CandidateList partners(correlations);
  for (std::int32_t j = 0; j < positions.end; ++j) {
    if (j != k) partners.add(j, k);
  }
  return firstPairs(partners.candidates(), kPartnerCount, matrix);
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
  appendFixed(text, value, kDecimals);
}

void appendListSection(std::string& text, std::string_view title,
                       const std::vector<CorrelationPair>& list) {
  text += title;
  text += '\n';
  for (const auto& pair : list) {
    appendValue(text, pair.value);
    text += " between  ";
    text += pair.firstName;
    text += "   and   ";
    text += pair.secondName;
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
    for (const auto& partner : partnersOf(matrix, correlations, positions, entry.position)) {
      text += "   ";
      text += partner.firstName;
      text += ": ";
      appendValue(text, partner.value);
    }
    text += "\n\n";
  }
  return text;
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

std::vector<RSquared> rSquaredValues(const DesignMatrix& matrix, std::size_t workers) {
  std::vector<RSquared> entries;
  if (matrix.nrOfDataPoints.value < 1) return entries;
  const Matrix regressors = buildRegressorMatrix(matrix);
  const auto values = rSquaredOfTargets(regressors, regressors.cols() - 1, workers);
  entries.reserve(values.size());
  for (std::size_t k = 0; k < values.size(); ++k) {
    entries.push_back({values[k], static_cast<std::int32_t>(k)});
  }
  return entries;
}

void writeCorrelationReport(const DesignMatrix& matrix, std::ostream& out, std::size_t workers) {
  const Positions positions = positionsOf(matrix);
  const Correlations correlations(matrix);
  out << listSections(buildLists(matrix, correlations, positions));
  auto entries = rSquaredValues(matrix, workers);
  sortEntries(entries, positions.mainCount);
  out << rSquaredSection(matrix, entries, correlations, positions);
}

std::string correlationReportPath(std::string_view designPath) {
  return pathWithoutExtension(designPath) + ".txt";
}

void writeCorrelationReport(const DesignMatrix& matrix) {
  writeCorrelationReport(matrix, realFileSystem());
}

void writeCorrelationReport(const DesignMatrix& matrix, FileSystem& files, std::size_t workers) {
  const std::string target = correlationReportPath(matrix.fileName);
  const auto file = files.createFile(target);
  try {
    writeCorrelationReport(matrix, file->stream(), workers);
  } catch (const MatrixInversionError&) {
    // The list sections are complete and useful on their own: they stay.
    file->commit();
    throw;
  }
  if (!file->stream()) throw IOError("Failed writing file: " + target);
  file->commit();
}

}  // namespace duv
