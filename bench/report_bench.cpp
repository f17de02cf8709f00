// The correlation report, whole and its R² section alone, on designs of growing size.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <thread>

#include "bench/bench_designs.h"
#include "stats/correlation_report.h"

namespace duv::bench {
namespace {

void sizes(benchmark::internal::Benchmark* benchmark) {
  benchmark->Args({40, 500})->Args({100, 1000})->Args({300, 2000});
  benchmark->ArgNames({"predictors", "points"});
  benchmark->Unit(benchmark::kMillisecond)->UseRealTime();
}

void BM_Report(benchmark::State& state) {
  const int predictors = static_cast<int>(state.range(0));
  const int points = static_cast<int>(state.range(1));
  const auto& design = benchDesign(predictors, points);
  for (auto _ : state) {
    CountingStream out;
    writeCorrelationReport(design, out);
    benchmark::DoNotOptimize(out.bytes());
  }
  reportFlops(state, rSquaredFlops(predictors, points));
}
BENCHMARK(BM_Report)->Apply(sizes);

// The fits on every core, as the command-line tool runs them.
void BM_ReportOnEveryCore(benchmark::State& state) {
  const int predictors = static_cast<int>(state.range(0));
  const int points = static_cast<int>(state.range(1));
  const auto& design = benchDesign(predictors, points);
  const std::size_t workers = std::max(1U, std::thread::hardware_concurrency());
  for (auto _ : state) {
    CountingStream out;
    writeCorrelationReport(design, out, workers);
    benchmark::DoNotOptimize(out.bytes());
  }
  reportFlops(state, rSquaredFlops(predictors, points));
  state.counters["threads"] = static_cast<double>(workers);
}
BENCHMARK(BM_ReportOnEveryCore)->Apply(sizes);

void BM_RSquared(benchmark::State& state) {
  const int predictors = static_cast<int>(state.range(0));
  const int points = static_cast<int>(state.range(1));
  const auto& design = benchDesign(predictors, points);
  for (auto _ : state) benchmark::DoNotOptimize(rSquaredValues(design).data());
  reportFlops(state, rSquaredFlops(predictors, points));
}
BENCHMARK(BM_RSquared)->Apply(sizes);

}  // namespace
}  // namespace duv::bench
