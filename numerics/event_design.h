#pragma once

// A run's task design built from its events, number for number as the reference first-level
// model of the Python neuro-imaging tools builds it (to about 1e-9 of each column's largest
// value): each condition's events as a stimulus on a fine grid, convolved with the response
// kernels (hrf_kernels.h), sampled at the volumes' times, the extra columns made orthogonal to
// the first; then the drift columns and the constant. Double precision throughout; the
// arithmetic keeps the reference's order where its last bits decide a grid index.

#include <cstddef>
#include <string>
#include <vector>

#include "design/events_file.h"
#include "numerics/hrf_kernels.h"

namespace duv {

enum class DriftModel { cosine, polynomial, none };

struct EventDesignOptions {
  double repetitionTime = 0.0;  // seconds, > 0
  std::size_t volumes = 0;      // >= 2
  HrfModel hrf = HrfModel::glover;
  std::vector<int> firDelays{0};  // in volumes, >= 0, distinct
  DriftModel drift = DriftModel::cosine;
  double highPass = 0.01;  // Hz, >= 0: cosines below it
  int driftOrder = 1;      // >= 0: polynomial degree
  // Where within its volume each row is sampled, as a fraction of the repetition time: [0, 1].
  double sliceTimeReference = 0.0;
  double minOnset = -24.0;  // seconds, <= 0: how long before the first volume the grid starts
  int oversampling = 50;    // grid points per repetition time, >= 1
};

struct EventDesign {
  std::vector<std::string> names;            // one per column
  std::vector<std::vector<double>> columns;  // columns[c][t]
  std::size_t taskColumns = 0;               // the first ones; then drifts; "constant" last
};

// The times of the rows: linspace(s*TR, (n-1+s)*TR, n) computed as numpy computes it
// (k*step + start, the last exactly the end).
std::vector<double> frameTimes(const EventDesignOptions& options);

// The fine grid the stimuli are built on: from the first frame time plus minOnset to the last
// frame time times (1 + 1/(n-1)), round(count) points, where count and the step come from the
// reference's own formulas: its step is the repetition time over the oversampling only when
// that divides the span exactly, and its end falls short of n*TR by an ulp for some runs.
// Held as its formula, not as points, so that a long run costs no memory for it.
struct FineGrid {
  double start = 0.0;
  double stop = 0.0;
  double step = 0.0;      // (stop - start) / (count - 1)
  std::size_t count = 0;  // >= 2
  // Point k: k*step + start (two roundings, as numpy's linspace), the last exactly stop.
  double at(std::size_t k) const;
  // The first of the first `points` indexes whose point is at or above t; `points` when none.
  std::size_t firstAtOrAbove(double t, std::size_t points) const;
};
FineGrid fineGrid(const std::vector<double>& frames, double minOnset, int oversampling);

// The columns of `conditions` (in their order), their drifts and the constant. A condition
// named so that two columns share a name is std::runtime_error "column <name> is named twice
// (...)". Throws std::invalid_argument for options outside their ranges above.
EventDesign buildEventDesign(const std::vector<EventCondition>& conditions,
                             const EventDesignOptions& options);

// The cosine drift columns of a run (without the constant): min(n-1, floor(2*n*hp*D)) of them,
// D the mean spacing of the frame times; sqrt(2/n) cos(pi/n (i+0.5) k).
std::vector<std::vector<double>> cosineDrifts(const std::vector<double>& frames, double highPass);

}  // namespace duv
