// SDM reading and writing on a design of 300 predictors x 5,000 data points (about 16 MB).

#include <benchmark/benchmark.h>

#include <fstream>
#include <sstream>
#include <string>

#include "bench/bench_designs.h"
#include "bench/process_runner.h"
#include "design/design_format.h"
#include "design/design_matrix.h"
#include "design/file_system.h"
#include "design/sdm_reader.h"
#include "design/sdm_writer.h"

namespace duv::bench {
namespace {

constexpr int kPredictors = 300;
constexpr int kPoints = 5000;

const std::string& sdmText() {
  static const std::string text = [] {
    std::ostringstream out;
    writeSdm(benchDesign(kPredictors, kPoints), out);
    return out.str();
  }();
  return text;
}

// The design saved once, for the benchmarks that read from the disk.
const std::string& sdmFile() {
  static const std::string path = [] {
    const auto& design = benchDesign(kPredictors, kPoints);
    saveDesign(design, design.fileName, kSdmFormat);
    return design.fileName;
  }();
  return path;
}

void setBytes(benchmark::State& state, std::size_t bytes) {
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                          static_cast<std::int64_t>(bytes));
  state.counters["MB"] = static_cast<double>(bytes) / 1e6;
}

void BM_SdmParseText(benchmark::State& state) {
  const auto& text = sdmText();
  for (auto _ : state) {
    auto matrix = readSdm(text, "design.sdm");
    benchmark::DoNotOptimize(matrix.values.data());
  }
  setBytes(state, text.size());
}
BENCHMARK(BM_SdmParseText)->Unit(benchmark::kMillisecond);

void BM_SdmReadFile(benchmark::State& state) {
  const auto& path = sdmFile();
  for (auto _ : state) {
    auto matrix = readSdmFile(path, realFileSystem());
    benchmark::DoNotOptimize(matrix.values.data());
  }
  setBytes(state, sdmText().size());
}
BENCHMARK(BM_SdmReadFile)->Unit(benchmark::kMillisecond);

void BM_SdmFormatText(benchmark::State& state) {
  const auto& design = benchDesign(kPredictors, kPoints);
  std::int64_t bytes = 0;
  for (auto _ : state) {
    CountingStream out;
    writeSdm(design, out);
    bytes = out.bytes();
  }
  setBytes(state, static_cast<std::size_t>(bytes));
}
BENCHMARK(BM_SdmFormatText)->Unit(benchmark::kMillisecond);

void BM_SdmSaveFile(benchmark::State& state) {
  auto design = benchDesign(kPredictors, kPoints);
  design.fileName = scratchDir() + "/saved.sdm";
  for (auto _ : state) saveDesign(design, design.fileName, kSdmFormat);
  setBytes(state, sdmText().size());
}
BENCHMARK(BM_SdmSaveFile)->Unit(benchmark::kMillisecond);

// Reading the file and saving it again in a fresh process: the largest resident memory beyond
// what the process held before, against the file's size.
void BM_SdmPeakMemory(benchmark::State& state) {
  const auto& input = sdmFile();
  const auto output = scratchDir() + "/peak_memory_copy.sdm";
  const auto result = scratchDir() + "/peak_memory.txt";
  long before = 0;
  long peak = 0;
  for (auto _ : state) {
    const auto run = runProgram({thisProgram(), "--sdm-peak-memory", input, output, result});
    if (run.exitCode != 0) state.SkipWithError("the measuring process failed");
    std::ifstream(result) >> before >> peak;
  }
  const double fileMb = static_cast<double>(sdmText().size()) / 1e6;
  const double extraMb = static_cast<double>(peak - before) * 1024 / 1e6;
  state.counters["file_MB"] = fileMb;
  state.counters["peak_extra_MB"] = extraMb;
  state.counters["peak_per_file_size"] = extraMb / fileMb;
}
BENCHMARK(BM_SdmPeakMemory)->Unit(benchmark::kMillisecond)->Iterations(1)->UseRealTime();

}  // namespace
}  // namespace duv::bench
