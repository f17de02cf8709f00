// The correlation table on 300 predictors x 2,000 data points.

#include <benchmark/benchmark.h>

#include "bench/bench_designs.h"
#include "design/file_system.h"
#include "stats/correlation.h"

namespace duv::bench {
namespace {

void BM_CorrelationTable(benchmark::State& state) {
  const int predictors = static_cast<int>(state.range(0));
  const int points = static_cast<int>(state.range(1));
  const auto& design = benchDesign(predictors, points);
  for (auto _ : state) {
    CountingStream out;
    writeCorrelationTable(design, out);
    benchmark::DoNotOptimize(out.bytes());
  }
  reportFlops(state, tableFlops(predictors, points));
}
BENCHMARK(BM_CorrelationTable)->Args({300, 2000})->Unit(benchmark::kMillisecond);

// Through the file interface onto the disk: formatting and writing included.
void BM_CorrelationTableFile(benchmark::State& state) {
  const int predictors = static_cast<int>(state.range(0));
  const int points = static_cast<int>(state.range(1));
  const auto& design = benchDesign(predictors, points);
  for (auto _ : state) writeCorrelationTable(design, realFileSystem());
  reportFlops(state, tableFlops(predictors, points));
}
BENCHMARK(BM_CorrelationTableFile)->Args({300, 2000})->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace duv::bench
