#include "numerics/event_design.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "design/events_file.h"
#include "design/text.h"
#include "tests/support/temp_dir.h"

namespace duv {
namespace {

struct ReferenceDesign {
  std::vector<std::string> names;
  std::vector<std::vector<double>> columns;
};

ReferenceDesign readReference(const std::string& path) {
  ReferenceDesign design;
  const auto lines = splitLines(testing::readText(path), '\n');
  for (const auto& name : splitLines(lines.at(0), '\t')) design.names.push_back(name);
  design.columns.assign(design.names.size(), {});
  for (std::size_t l = 1; l < lines.size(); ++l) {
    const auto cells = splitLines(lines[l], '\t');
    for (std::size_t c = 0; c < cells.size(); ++c) design.columns[c].push_back(std::stod(cells[c]));
  }
  return design;
}

double largest(const std::vector<double>& column) {
  double most = 0.0;
  for (const double value : column) most = std::max(most, std::abs(value));
  return most;
}

// Each column within 1e-6 of its largest value; a column that is (nearly) all zero within 1e-7
// of the design's largest value.
void expectMatches(const EventDesign& built, const ReferenceDesign& expected) {
  ASSERT_EQ(built.names, expected.names);
  double designLargest = 0.0;
  for (const auto& column : expected.columns)
    designLargest = std::max(designLargest, largest(column));
  for (std::size_t c = 0; c < expected.columns.size(); ++c) {
    const double tolerance = std::max(1e-6 * largest(expected.columns[c]), 1e-7 * designLargest);
    ASSERT_EQ(built.columns[c].size(), expected.columns[c].size()) << expected.names[c];
    for (std::size_t t = 0; t < expected.columns[c].size(); ++t) {
      ASSERT_NEAR(built.columns[c][t], expected.columns[c][t], tolerance)
          << expected.names[c] << " at row " << t;
    }
  }
}

struct ReferenceCase {
  const char* name;
  EventDesignOptions options;
};

EventDesignOptions options(double tr, std::size_t volumes, HrfModel hrf) {
  EventDesignOptions o;
  o.repetitionTime = tr;
  o.volumes = volumes;
  o.hrf = hrf;
  return o;
}

std::vector<ReferenceCase> referenceCases() {
  auto spmNoDrift = options(2, 20, HrfModel::spm);
  spmNoDrift.drift = DriftModel::none;
  auto fir = options(2, 20, HrfModel::fir);
  fir.firDelays = {0, 1, 2};
  auto polynomial = options(2.5, 30, HrfModel::gloverDerivative);
  polynomial.drift = DriftModel::polynomial;
  polynomial.driftOrder = 3;
  polynomial.sliceTimeReference = 0.5;
  return {{"01_block", options(2, 20, HrfModel::glover)},
          {"02_zero_duration", spmNoDrift},
          {"03_modulation", options(2, 20, HrfModel::glover)},
          {"04_spm_deriv_disp", options(2, 20, HrfModel::spmDerivativeDispersion)},
          {"05_fir", fir},
          {"06_cosine", options(2, 120, HrfModel::glover)},
          {"07_poly_slice_ref", polynomial},
          {"08_long_run_grid", options(2, 200, HrfModel::spm)}};
}

std::string referencePath(const std::string& name) {
  return testing::sourceDir() + "/tests/reference/events/" + name;
}

TEST(EventDesign, MatchesTheReferenceDesigns) {
  for (const auto& c : referenceCases()) {
    SCOPED_TRACE(c.name);
    const auto events =
        readEventsFile(testing::readText(referencePath(std::string(c.name) + ".events.tsv")),
                       std::string(c.name) + ".events.tsv");
    expectMatches(buildEventDesign(events.conditions, c.options),
                  readReference(referencePath(std::string(c.name) + ".design.tsv")));
  }
}

// The reader refuses a missing modulation and a negative duration, so the reference's own
// reading of that file is given as events: the n/a trial type dropped, the n/a modulation 0,
// the duplicates summed, the early event and the negative duration kept.
TEST(EventDesign, MatchesTheReferenceOnEventsItAcceptsSilently) {
  const std::vector<EventCondition> cue{
      {"cue", {{-40, 30, 1}, {6, 2, 1.5}, {16, 2, 0}, {30, -4, 1}}}};
  expectMatches(buildEventDesign(cue, options(2, 20, HrfModel::glover)),
                readReference(referencePath("09_nilearn_edges.design.tsv")));
}

// Random runs of every model, drift and slice-time reference, against what each must be
// whatever the reference computes: exact stimulus values for FIR and none, derivatives
// orthogonal to their response, orthonormal cosines, and invariance of a design to splitting an
// event into identical halves.
struct RandomRun {
  EventDesignOptions options;
  std::vector<EventCondition> conditions;
};

RandomRun randomRun(std::mt19937& random) {
  const double trs[] = {0.72, 0.8, 1.0, 1.5, 2.0, 2.5, 3.0};
  const HrfModel models[] = {HrfModel::glover,
                             HrfModel::spm,
                             HrfModel::gloverDerivative,
                             HrfModel::spmDerivative,
                             HrfModel::gloverDerivativeDispersion,
                             HrfModel::spmDerivativeDispersion,
                             HrfModel::fir,
                             HrfModel::none};
  const DriftModel drifts[] = {DriftModel::cosine, DriftModel::polynomial, DriftModel::none};
  RandomRun run;
  auto& o = run.options;
  o.repetitionTime = trs[random() % 7];
  o.volumes = 20 + random() % 200;
  o.hrf = models[random() % 8];
  o.drift = drifts[random() % 3];
  o.driftOrder = static_cast<int>(random() % 4);
  o.sliceTimeReference = std::uniform_real_distribution<double>(0, 1)(random);
  o.firDelays = {0, 1, 3};
  const double length = o.repetitionTime * static_cast<double>(o.volumes);
  for (const char* name : {"a", "b"}) {
    EventCondition condition{name, {}};
    for (int e = 0; e < 6; ++e) {
      const double onset = std::uniform_real_distribution<double>(0, length - 20)(random);
      const double duration = (random() % 3 == 0) ? 0.0 : static_cast<double>(random() % 12);
      condition.events.push_back({onset, duration, 1.0});
    }
    std::sort(condition.events.begin(), condition.events.end(),
              [](const StimulusEvent& x, const StimulusEvent& y) { return x.onset < y.onset; });
    run.conditions.push_back(condition);
  }
  return run;
}

double dot(const std::vector<double>& a, const std::vector<double>& b) {
  double sum = 0.0;
  for (std::size_t i = 0; i < a.size(); ++i) sum += a[i] * b[i];
  return sum;
}

TEST(EventDesign, RandomRunsKeepTheirInvariants) {
  std::mt19937 random(20261207);
  for (int r = 0; r < 200; ++r) {
    const auto run = randomRun(random);
    const auto& o = run.options;
    SCOPED_TRACE("run " + std::to_string(r) + ": TR " + std::to_string(o.repetitionTime) + ", " +
                 std::to_string(o.volumes) + " volumes, model " +
                 std::to_string(static_cast<int>(o.hrf)) + ", s " +
                 std::to_string(o.sliceTimeReference));
    const auto design = buildEventDesign(run.conditions, o);
    const auto perCondition = design.taskColumns / run.conditions.size();
    ASSERT_EQ(design.names.back(), "constant");
    for (const double value : design.columns.back()) ASSERT_EQ(value, 1.0);

    // Each extra column is orthogonal to the ones before it of its condition.
    if (o.hrf != HrfModel::fir) {
      for (std::size_t c = 0; c < design.taskColumns; c += perCondition) {
        for (std::size_t i = 1; i < perCondition; ++i) {
          for (std::size_t j = 0; j < i; ++j) {
            const auto& x = design.columns[c + i];
            const auto& y = design.columns[c + j];
            EXPECT_NEAR(dot(x, y), 0.0, 1e-12 * std::sqrt(dot(x, x) * dot(y, y)) + 1e-300)
                << design.names[c + i] << " on " << design.names[c + j];
          }
        }
      }
    }

    // FIR and none sample the stimulus itself: between 0 and the number of overlapping events.
    if (o.hrf == HrfModel::fir || o.hrf == HrfModel::none) {
      for (std::size_t c = 0; c < design.taskColumns; ++c) {
        for (const double value : design.columns[c]) {
          ASSERT_GE(value, -1e-12);
          ASSERT_LE(value, 6.0 + 1e-12);
        }
      }
    }

    // Cosines are orthonormal.
    if (o.drift == DriftModel::cosine) {
      for (std::size_t i = design.taskColumns; i + 1 < design.columns.size(); ++i) {
        for (std::size_t j = design.taskColumns; j <= i; ++j) {
          EXPECT_NEAR(dot(design.columns[i], design.columns[j]), i == j ? 1.0 : 0.0, 1e-12);
        }
      }
    }
    // Polynomial drifts are orthogonal to each other and to the constant.
    if (o.drift == DriftModel::polynomial) {
      ASSERT_EQ(design.columns.size() - design.taskColumns - 1,
                static_cast<std::size_t>(o.driftOrder));
      for (std::size_t i = design.taskColumns; i < design.columns.size(); ++i) {
        for (std::size_t j = design.taskColumns; j < i; ++j) {
          const auto& x = design.columns[i];
          const auto& y = design.columns[j];
          EXPECT_NEAR(dot(x, y), 0.0, 1e-10 * std::sqrt(dot(x, x) * dot(y, y)));
        }
      }
    }

    // Identical halves of every event give the same design as the whole events.
    auto halves = run.conditions;
    for (auto& condition : halves) {
      std::vector<StimulusEvent> doubled;
      for (auto event : condition.events) {
        event.amplitude = 0.5;
        doubled.push_back(event);
        doubled.push_back(event);
      }
      condition.events = doubled;
    }
    const auto same = buildEventDesign(halves, o);
    for (std::size_t c = 0; c < design.taskColumns; ++c) {
      const double tolerance =
          1e-12 * (1.0 + std::abs(*std::max_element(
                             design.columns[c].begin(), design.columns[c].end(),
                             [](double a, double b) { return std::abs(a) < std::abs(b); })));
      for (std::size_t t = 0; t < o.volumes; ++t) {
        ASSERT_NEAR(same.columns[c][t], design.columns[c][t], tolerance) << design.names[c];
      }
    }
  }
}

// FIR delay d at frame t is the share of [t - d*TR, t - (d-1)*TR) that the stimulus covers, when
// the grid step is TR/oversampling exactly; a 0 s event covers one grid step.
TEST(EventDesign, FirColumnsAreTheStimulusShares) {
  struct Case {
    double onset;
    double duration;
    int delay;
    std::size_t frame;
    double share;
  };
  const Case cases[] = {{4, 2, 0, 2, 1.0}, {4, 2, 1, 3, 1.0},  {4, 1, 0, 2, 0.5},
                        {4, 2, 0, 1, 0.0}, {4, 0, 0, 2, 0.02}, {5, 2, 0, 2, 0.5},
                        {5, 2, 0, 3, 0.5}, {4, 6, 2, 6, 1.0}};
  for (const auto& c : cases) {
    auto o = options(2, 20, HrfModel::fir);
    o.firDelays = {c.delay};
    o.drift = DriftModel::none;
    const auto design = buildEventDesign({{"cue", {{c.onset, c.duration, 1.0}}}}, o);
    EXPECT_NEAR(design.columns[0][c.frame], c.share, 1e-12)
        << c.onset << "+" << c.duration << " delay " << c.delay << " frame " << c.frame;
  }
}

// The grid's own quirks: its size and end, and where on it onsets land.
TEST(EventDesign, FineGridFollowsTheReferenceFormulas) {
  struct Case {
    double tr;
    std::size_t volumes;
    double slice;
    std::size_t points;
    double end;
  };
  const Case cases[] = {{2, 20, 0, 1601, 40.0},
                        {2, 200, 0, 10601, 399.99999999999994},
                        {2, 20, 0.5, 1602, 39.0 * (1.0 + 1.0 / 19)}};
  for (const auto& c : cases) {
    auto o = options(c.tr, c.volumes, HrfModel::glover);
    o.sliceTimeReference = c.slice;
    const auto grid = fineGrid(frameTimes(o), -24.0, 50);
    EXPECT_EQ(grid.count, c.points) << c.tr << " " << c.volumes;
    EXPECT_EQ(grid.at(grid.count - 1), c.end) << c.tr << " " << c.volumes;
    // The lower bound on the points as they round, at and around each point.
    for (std::size_t k = 0; k < grid.count; k += 7) {
      const double point = grid.at(k);
      EXPECT_EQ(grid.firstAtOrAbove(point, grid.count), k);
      EXPECT_EQ(grid.firstAtOrAbove(std::nextafter(point, 1e9), grid.count), k + 1);
    }
    EXPECT_EQ(grid.firstAtOrAbove(1e300, grid.count), grid.count);
    EXPECT_EQ(grid.firstAtOrAbove(-1e300, grid.count), 0U);
  }
}

TEST(EventDesign, RefusesOptionsOutsideTheirRanges) {
  struct Case {
    void (*change)(EventDesignOptions&);
    const char* message;
  };
  const Case cases[] = {
      {[](EventDesignOptions& o) { o.repetitionTime = 0; },
       "the repetition time must be a number of seconds above 0"},
      {[](EventDesignOptions& o) { o.volumes = 1; },
       "a design from events needs at least 2 volumes"},
      {[](EventDesignOptions& o) { o.sliceTimeReference = 1.5; },
       "the slice-time reference must lie between 0 and 1"},
      {[](EventDesignOptions& o) { o.minOnset = 1; },
       "the minimum onset must be 0 or less (seconds before the first volume)"},
      {[](EventDesignOptions& o) { o.highPass = -1; }, "the high-pass cutoff must be 0 or more Hz"},
      {[](EventDesignOptions& o) { o.driftOrder = -1; }, "the drift order must be 0 or more"},
      {[](EventDesignOptions& o) {
         o.hrf = HrfModel::fir;
         o.firDelays = {1, 1};
       },
       "FIR delay 1 is given twice"},
  };
  for (const auto& c : cases) {
    auto o = options(2, 20, HrfModel::glover);
    c.change(o);
    try {
      buildEventDesign({}, o);
      ADD_FAILURE() << "accepted: " << c.message;
    } catch (const std::invalid_argument& error) {
      EXPECT_EQ(std::string(error.what()), c.message);
    }
  }
  try {
    buildEventDesign({{"constant", {{1, 1, 1}}}}, options(2, 20, HrfModel::glover));
    ADD_FAILURE() << "a condition named constant was accepted";
  } catch (const std::runtime_error& error) {
    EXPECT_EQ(std::string(error.what()),
              "column constant is named twice (a condition's name clashes with another column's: "
              "rename that trial_type)");
  }
}

TEST(HrfKernels, ModelsParseInBothSpellings) {
  struct Case {
    const char* text;
    HrfModel model;
  };
  const Case cases[] = {{"glover", HrfModel::glover},
                        {"SPM", HrfModel::spm},
                        {"spm + derivative", HrfModel::spmDerivative},
                        {"glover+derivative+dispersion", HrfModel::gloverDerivativeDispersion},
                        {"spm +derivative+ dispersion", HrfModel::spmDerivativeDispersion},
                        {"fir", HrfModel::fir},
                        {"none", HrfModel::none}};
  for (const auto& c : cases) EXPECT_EQ(parseHrfModel(c.text), c.model) << c.text;
  for (const char* bad : {" spm", "spm+", "gamma", "", "glover + dispersion"}) {
    EXPECT_THROW(parseHrfModel(bad), std::invalid_argument) << bad;
  }
}

TEST(HrfKernels, ResponsesHaveUnitSumAndDerivativesNone) {
  for (const auto model :
       {HrfModel::gloverDerivativeDispersion, HrfModel::spmDerivativeDispersion}) {
    const auto kernels = hrfKernels(model, 2.0, 50, {});
    ASSERT_EQ(kernels.size(), 3U);
    EXPECT_EQ(kernels[0].size(), 800U);
    double sums[3] = {0, 0, 0};
    for (std::size_t k = 0; k < 3; ++k) {
      for (const double value : kernels[k]) sums[k] += value;
    }
    EXPECT_NEAR(sums[0], 1.0, 1e-12);
    EXPECT_NEAR(sums[1], 0.0, 1e-10);
    EXPECT_NEAR(sums[2], 0.0, 1e-10);
    EXPECT_EQ(kernels[0][0], 0.0);  // both gammas start one step late
  }
}

}  // namespace
}  // namespace duv
