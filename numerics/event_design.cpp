#include "numerics/event_design.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>
#include <set>
#include <stdexcept>

namespace duv {
namespace {

// numpy's linspace: k*step + start (two roundings), the last point exactly `stop`.
std::vector<double> linspace(double start, double stop, std::size_t count) {
  std::vector<double> points(count);
  if (count == 0) return points;
  const double step = (stop - start) / static_cast<double>(count - 1);
  for (std::size_t k = 0; k + 1 < count; ++k) points[k] = static_cast<double>(k) * step + start;
  points[count - 1] = stop;
  return points;
}

// One stimulus change: +amplitude from index `on`, back at index `off`.
struct Box {
  std::size_t on;
  std::size_t off;
  double amplitude;
};

// Onsets and offsets move up to the next grid point, never to the nearest; an event that would
// end where it starts lasts one grid step.
std::vector<Box> boxesOf(const EventCondition& condition, const FineGrid& grid) {
  const std::size_t last = grid.count - 1;
  std::vector<Box> boxes;
  for (const auto& event : condition.events) {
    const auto on = std::min(grid.firstAtOrAbove(event.onset, grid.count), last);
    auto off = std::min(grid.firstAtOrAbove(event.onset + event.duration, grid.count), last);
    if (off == on && off < last) off = on + 1;
    boxes.push_back({on, off, event.amplitude});
  }
  return boxes;
}

// The running sums of a kernel: the response at lag l to a step that starts at lag 0.
std::vector<double> stepResponse(const std::vector<double>& kernel) {
  std::vector<double> sums(kernel.size());
  double sum = 0.0;
  for (std::size_t m = 0; m < kernel.size(); ++m) sums[m] = sum += kernel[m];
  return sums;
}

// The convolution of the stimulus with the kernel, at grid index i: as the stimulus is a sum of
// steps, the sum of the kernel's step response at each step's lag. Only the few indices that
// the sampling reads are computed.
double convolvedAt(const std::vector<Box>& boxes, const std::vector<double>& step, std::size_t i) {
  const auto responseAt = [&](std::size_t start) {
    if (start > i) return 0.0;
    return step[std::min(i - start, step.size() - 1)];
  };
  double value = 0.0;
  for (const auto& box : boxes) value += box.amplitude * (responseAt(box.on) - responseAt(box.off));
  return value;
}

// Linear interpolation as the reference's interpolator does it, at frame time t, between the
// first `count` grid points, whose values are convolvedAt(index + shift).
double sampledAt(const FineGrid& grid, std::size_t count, std::size_t shift,
                 const std::vector<Box>& boxes, const std::vector<double>& step, double t) {
  const auto hi = std::clamp<std::size_t>(grid.firstAtOrAbove(t, count), 1, count - 1);
  const auto lo = hi - 1;
  const double yLo = convolvedAt(boxes, step, lo + shift);
  const double yHi = convolvedAt(boxes, step, hi + shift);
  return (yHi - yLo) / (grid.at(hi) - grid.at(lo)) * (t - grid.at(lo)) + yLo;
}

double dot(const std::vector<double>& a, const std::vector<double>& b) {
  double sum = 0.0;
  for (std::size_t i = 0; i < a.size(); ++i) sum += a[i] * b[i];
  return sum;
}

// Each column loses its least-squares projection on the columns before it (already made
// orthogonal), as a pseudo-inverse takes it: a column of no size, relative to the largest,
// projects nothing. Twice, so that rounding leaves no projection behind.
void orthogonalise(std::vector<std::vector<double>>& columns) {
  const double tolerance = static_cast<double>(columns.empty() ? 0 : columns[0].size()) *
                           std::numeric_limits<double>::epsilon();
  for (std::size_t c = 1; c < columns.size(); ++c) {
    for (int pass = 0; pass < 2; ++pass) {
      double largest = 0.0;
      for (std::size_t p = 0; p < c; ++p) largest = std::max(largest, dot(columns[p], columns[p]));
      for (std::size_t p = 0; p < c; ++p) {
        const double norm = dot(columns[p], columns[p]);
        if (norm == 0.0 || std::sqrt(norm) <= tolerance * std::sqrt(largest)) continue;
        const double coefficient = dot(columns[c], columns[p]) / norm;
        for (std::size_t t = 0; t < columns[c].size(); ++t) {
          columns[c][t] -= coefficient * columns[p][t];
        }
      }
    }
  }
}

std::vector<std::vector<double>> polynomialDrifts(const std::vector<double>& frames, int order) {
  const double tmax = *std::max_element(frames.begin(), frames.end());
  std::vector<std::vector<double>> powers;
  for (int k = 0; k <= order; ++k) {
    std::vector<double> column(frames.size());
    for (std::size_t t = 0; t < frames.size(); ++t) {
      column[t] = std::pow(frames[t] / tmax, static_cast<double>(k));
    }
    powers.push_back(std::move(column));
  }
  orthogonalise(powers);
  powers.erase(powers.begin());  // the ones come last, as the constant
  return powers;
}

void validate(const EventDesignOptions& o) {
  const auto refuse = [](const std::string& what) { throw std::invalid_argument(what); };
  if (!(o.repetitionTime > 0.0) || !std::isfinite(o.repetitionTime)) {
    refuse("the repetition time must be a number of seconds above 0");
  }
  if (o.volumes < 2) refuse("a design from events needs at least 2 volumes");
  if (!(o.sliceTimeReference >= 0.0 && o.sliceTimeReference <= 1.0)) {
    refuse("the slice-time reference must lie between 0 and 1");
  }
  if (!(o.minOnset <= 0.0) || !std::isfinite(o.minOnset)) {
    refuse("the minimum onset must be 0 or less (seconds before the first volume)");
  }
  if (!(o.highPass >= 0.0) || !std::isfinite(o.highPass)) {
    refuse("the high-pass cutoff must be 0 or more Hz");
  }
  if (o.driftOrder < 0) refuse("the drift order must be 0 or more");
  if (o.oversampling < 1) refuse("the oversampling must be 1 or more");
  if (o.hrf == HrfModel::fir && o.firDelays.empty()) refuse("FIR needs one delay or more");
  std::set<int> delays;
  for (const int delay : o.firDelays) {
    if (delay < 0) refuse("FIR delays must be 0 or more volumes");
    if (!delays.insert(delay).second)
      refuse("FIR delay " + std::to_string(delay) + " is given twice");
  }
}

}  // namespace

std::vector<double> frameTimes(const EventDesignOptions& options) {
  const double n = static_cast<double>(options.volumes);
  return linspace(options.sliceTimeReference * options.repetitionTime,
                  (n - 1.0 + options.sliceTimeReference) * options.repetitionTime, options.volumes);
}

double FineGrid::at(std::size_t k) const {
  return k + 1 == count ? stop : static_cast<double>(k) * step + start;
}

std::size_t FineGrid::firstAtOrAbove(double t, std::size_t points) const {
  if (points == 0 || !(t > start)) return 0;
  // An estimate from the formula, then the exact lower bound on the rounded points, which rise
  // with k.
  const double estimate = std::ceil((t - start) / step);
  auto k = estimate >= static_cast<double>(points) ? points : static_cast<std::size_t>(estimate);
  while (k > 0 && at(k - 1) >= t) --k;
  while (k < points && at(k) < t) ++k;
  return k;
}

FineGrid fineGrid(const std::vector<double>& frames, double minOnset, int oversampling) {
  const double lo = frames.front();
  const double hi = frames.back();
  const double intervals = static_cast<double>(frames.size() - 1);
  const double stop = hi * (1.0 + 1.0 / intervals);
  const double count =
      (intervals * 1.0 / (hi - lo)) * (((stop - lo) - minOnset) * oversampling) + 1.0;
  FineGrid grid;
  grid.start = lo + minOnset;
  grid.stop = stop;
  grid.count = static_cast<std::size_t>(std::nearbyint(count));
  grid.step = (grid.stop - grid.start) / static_cast<double>(grid.count - 1);
  return grid;
}

std::vector<std::vector<double>> cosineDrifts(const std::vector<double>& frames, double highPass) {
  const std::size_t n = frames.size();
  const double spacing = (frames.back() - frames.front()) / static_cast<double>(n - 1);
  const double wanted = std::floor(((2.0 * static_cast<double>(n)) * highPass) * spacing);
  const auto count =
      wanted >= static_cast<double>(n - 1) ? n - 1 : static_cast<std::size_t>(wanted);
  const double normaliser = std::sqrt(2.0 / static_cast<double>(n));
  std::vector<std::vector<double>> drifts(count, std::vector<double>(n));
  for (std::size_t k = 1; k <= count; ++k) {
    for (std::size_t i = 0; i < n; ++i) {
      drifts[k - 1][i] =
          normaliser *
          std::cos(((std::numbers::pi / static_cast<double>(n)) * (static_cast<double>(i) + 0.5)) *
                   static_cast<double>(k));
    }
  }
  return drifts;
}

EventDesign buildEventDesign(const std::vector<EventCondition>& conditions,
                             const EventDesignOptions& options) {
  validate(options);
  const auto frames = frameTimes(options);
  const auto grid = fineGrid(frames, options.minOnset, options.oversampling);
  double shortest = std::numeric_limits<double>::infinity();
  for (std::size_t t = 1; t < frames.size(); ++t) {
    shortest = std::min(shortest, frames[t] - frames[t - 1]);
  }
  // The kernels are built with the shortest frame spacing, not the nominal repetition time.
  const auto kernels = hrfKernels(options.hrf, shortest, options.oversampling, options.firDelays);
  std::vector<std::vector<double>> steps;
  steps.reserve(kernels.size());
  for (const auto& kernel : kernels) steps.push_back(stepResponse(kernel));
  const auto suffixes = hrfColumnSuffixes(options.hrf, options.firDelays);

  // FIR columns are read on the grid shifted by oversampling-1 points, so that delay 0 covers
  // the repetition time that starts at the frame.
  const auto os = static_cast<std::size_t>(options.oversampling);
  const bool shifted = options.hrf == HrfModel::fir && os > 1;
  const std::size_t shift = shifted ? os - 1 : 0;
  const std::size_t points = grid.count - shift;

  EventDesign design;
  for (const auto& condition : conditions) {
    const auto boxes = boxesOf(condition, grid);
    std::vector<std::vector<double>> columns;
    for (const auto& step : steps) {
      std::vector<double> column(frames.size());
      for (std::size_t t = 0; t < frames.size(); ++t) {
        column[t] = sampledAt(grid, points, shift, boxes, step, frames[t]);
      }
      columns.push_back(std::move(column));
    }
    if (hrfOrthogonalised(options.hrf)) orthogonalise(columns);
    for (std::size_t c = 0; c < columns.size(); ++c) {
      design.names.push_back(condition.name + suffixes[c]);
      design.columns.push_back(std::move(columns[c]));
    }
  }
  design.taskColumns = design.columns.size();

  std::vector<std::vector<double>> drifts;
  if (options.drift == DriftModel::cosine) drifts = cosineDrifts(frames, options.highPass);
  if (options.drift == DriftModel::polynomial)
    drifts = polynomialDrifts(frames, options.driftOrder);
  for (std::size_t k = 0; k < drifts.size(); ++k) {
    design.names.push_back("drift_" + std::to_string(k + 1));
    design.columns.push_back(std::move(drifts[k]));
  }
  design.names.emplace_back("constant");
  design.columns.emplace_back(frames.size(), 1.0);

  std::set<std::string> seen;
  for (const auto& name : design.names) {
    if (!seen.insert(name).second) {
      throw std::runtime_error("column " + name +
                               " is named twice (a condition's name clashes with another "
                               "column's: rename that trial_type)");
    }
  }
  return design;
}

}  // namespace duv
