// The parts of one R² fit on its own, at the size of the largest report (300 regressors, 2,000
// data points): the decomposition of the normal matrix, the inverse from it, and the
// coefficients (A X^T) y; and the products of all regressor columns that every fit shares.

#include <benchmark/benchmark.h>

#include <cstdint>
#include <numeric>
#include <vector>

#include "bench/bench_designs.h"
#include "stats/column_table.h"
#include "stats/correlation_report.h"
#include "stats/singular_value_decomposition.h"
#include "stats/vector_kernels.h"

namespace duv::bench {
namespace {

constexpr int kPredictors = 300;
constexpr int kPoints = 2000;

struct FitData {
  Matrix regressors;
  std::vector<float> products;
  std::size_t p;
  std::vector<float> normal;
};

const FitData& fitData() {
  static const FitData data = [] {
    FitData d;
    d.regressors = buildRegressorMatrix(benchDesign(kPredictors, kPoints));
    const auto q = static_cast<std::size_t>(d.regressors.cols());
    std::vector<const float*> columns;
    for (std::size_t c = 0; c < q; ++c) columns.push_back(d.regressors.data() + c * kPoints);
    d.products = ColumnTable(columns, kPoints).products();
    d.p = q - 1;
    d.normal.resize(d.p * d.p);
    for (std::size_t b = 0; b < d.p; ++b) {
      for (std::size_t a = 0; a < d.p; ++a) d.normal[a + b * d.p] = d.products[(a + 1) * q + b + 1];
    }
    return d;
  }();
  return data;
}

void BM_FitDecomposition(benchmark::State& state) {
  const auto& data = fitData();
  std::vector<float> u(data.normal.size());
  std::vector<float> w(data.p);
  std::vector<float> v(data.p * data.p);
  SvdWorkspace workspace;
  const auto p = static_cast<std::int32_t>(data.p);
  for (auto _ : state) {
    u = data.normal;
    benchmark::DoNotOptimize(
        singularValueDecomposition(u.data(), p, p, data.p, w.data(), v.data(), data.p, workspace));
  }
  const double n = static_cast<double>(data.p);
  reportFlops(state, 21 * n * n * n);
  state.counters["rotations"] =
      static_cast<double>(workspace.leftRotations.size() + workspace.rightRotations.size());
}
BENCHMARK(BM_FitDecomposition)->Unit(benchmark::kMillisecond);

void BM_FitInverse(benchmark::State& state) {
  const auto& data = fitData();
  std::vector<float> u = data.normal;
  std::vector<float> w(data.p);
  std::vector<float> v(data.p * data.p);
  SvdWorkspace workspace;
  const auto p = static_cast<std::int32_t>(data.p);
  singularValueDecomposition(u.data(), p, p, data.p, w.data(), v.data(), data.p, workspace);
  std::vector<float> inverse(data.p * data.p);
  for (auto _ : state) {
    kernels::inverseFromDecomposition(u.data(), data.p, v.data(), data.p, w.data(), data.p,
                                      inverse.data(), data.p);
    benchmark::DoNotOptimize(inverse.data());
  }
  const double n = static_cast<double>(data.p);
  reportFlops(state, 3 * n * n * n);
}
BENCHMARK(BM_FitInverse)->Unit(benchmark::kMillisecond);

void BM_FitCoefficients(benchmark::State& state) {
  const auto& data = fitData();
  std::vector<std::int32_t> columns(data.p);
  std::iota(columns.begin(), columns.end(), 1);
  std::vector<float> b(data.p);
  std::vector<float> scratch(4 * data.p);
  const float* y = data.regressors.data();
  const auto q = static_cast<std::size_t>(data.regressors.cols());
  std::vector<const float*> regressorColumns;
  for (std::size_t c = 0; c < q; ++c) regressorColumns.push_back(y + c * kPoints);
  const ColumnTable table(regressorColumns, kPoints);
  for (auto _ : state) {
    kernels::fitCoefficients(data.normal.data(), data.p, data.p, table.data(), q, columns.data(),
                             kPoints, y, b.data(), scratch.data());
    benchmark::DoNotOptimize(b.data());
  }
  const double n = static_cast<double>(data.p);
  reportFlops(state, 2 * n * n * kPoints + 2 * n * kPoints);
}
BENCHMARK(BM_FitCoefficients)->Unit(benchmark::kMillisecond);

void BM_RegressorProducts(benchmark::State& state) {
  const auto& data = fitData();
  const auto q = static_cast<std::size_t>(data.regressors.cols());
  std::vector<const float*> columns;
  for (std::size_t c = 0; c < q; ++c) columns.push_back(data.regressors.data() + c * kPoints);
  const ColumnTable table(columns, kPoints);
  for (auto _ : state) benchmark::DoNotOptimize(table.products().data());
  const double n = static_cast<double>(q);
  reportFlops(state, n * (n + 1) * kPoints);
}
BENCHMARK(BM_RegressorProducts)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace duv::bench
