#pragma once

// Checks the fuzz targets make on what the core returns. A broken invariant is a finding: it
// aborts, so the fuzzer keeps the input that caused it.

#include <cstdio>
#include <cstdlib>

#include "design/design_matrix.h"

namespace duv::fuzz {

[[noreturn]] inline void fail(const char* what) {
  std::fprintf(stderr, "broken invariant: %s\n", what);
  std::abort();
}

// Five per-predictor lists of nrOfPredictors entries, every column nrOfDataPoints long.
inline void checkInvariants(const DesignMatrix& m) {
  if (m.nrOfPredictors.value < 0 || m.nrOfDataPoints.value < 0) fail("negative count");
  const auto predictors = static_cast<std::size_t>(m.nrOfPredictors.value);
  const auto dataPoints = static_cast<std::size_t>(m.nrOfDataPoints.value);
  if (m.colorRed.size() != predictors || m.colorGreen.size() != predictors ||
      m.colorBlue.size() != predictors) {
    fail("colours do not match nrOfPredictors");
  }
  if (m.predictorNames.size() != predictors) fail("names do not match nrOfPredictors");
  if (m.values.size() != predictors) fail("columns do not match nrOfPredictors");
  for (const auto& column : m.values) {
    if (column.size() != dataPoints) fail("a column does not match nrOfDataPoints");
  }
}

}  // namespace duv::fuzz
