// Framewise displacement and its summary for a run of 2,000 volumes in each motion layout: from
// the file's text (reading included), and from the parameters already read.

#include <benchmark/benchmark.h>

#include <map>
#include <sstream>
#include <string>

#include "design/motion_input.h"
#include "design/sdm_writer.h"
#include "examples/generator/study_generator.h"
#include "numerics/framewise_displacement.h"
#include "numerics/motion_summary.h"

namespace duv::bench {
namespace {

constexpr int kVolumes = 2000;
constexpr unsigned kSeed = 2026;

// The text of each layout, generated once.
const std::string& motionText(MotionLayout layout) {
  static const std::map<MotionLayout, std::string> texts = [] {
    examples::Random random(kSeed);
    const auto motion = examples::realignmentMotion(kVolumes, random);
    std::ostringstream sdm;
    writeSdm(examples::motionParameters(kVolumes, random), sdm);
    return std::map<MotionLayout, std::string>{
        {MotionLayout::sdm, sdm.str()},
        {MotionLayout::par, examples::motionParText(motion)},
        {MotionLayout::txt, examples::motionRpText(motion)},
        {MotionLayout::afni1D, examples::motion1DText(motion)},
        {MotionLayout::table, examples::confoundTableText(kVolumes, random)},
    };
  }();
  return texts.at(layout);
}

void reportVolumes(benchmark::State& state) {
  state.counters["volumes"] = kVolumes;
  state.counters["volume_rate"] =
      benchmark::Counter(kVolumes, benchmark::Counter::kIsIterationInvariantRate);
}

void BM_MotionSummaryFromText(benchmark::State& state, MotionLayout layout) {
  const auto& text = motionText(layout);
  const std::string path = "run1." + std::string(layoutName(layout));
  for (auto _ : state) {
    const auto input = readMotionInput(text, path, layout, 0);
    const auto summary = summarizeMotion(framewiseDisplacement(input));
    benchmark::DoNotOptimize(summary.meanDisplacement);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                          static_cast<std::int64_t>(text.size()));
  reportVolumes(state);
}
BENCHMARK_CAPTURE(BM_MotionSummaryFromText, sdm, MotionLayout::sdm)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_MotionSummaryFromText, par, MotionLayout::par)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_MotionSummaryFromText, txt, MotionLayout::txt)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_MotionSummaryFromText, 1d, MotionLayout::afni1D)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_MotionSummaryFromText, tsv, MotionLayout::table)
    ->Unit(benchmark::kMicrosecond);

// The arithmetic alone, the parameters read once: the same for every layout.
void BM_MotionSummaryFromParameters(benchmark::State& state) {
  const auto input =
      readMotionInput(motionText(MotionLayout::par), "run1.par", MotionLayout::par, 0);
  for (auto _ : state) {
    const auto summary = summarizeMotion(framewiseDisplacement(input));
    benchmark::DoNotOptimize(summary.meanDisplacement);
  }
  reportVolumes(state);
}
BENCHMARK(BM_MotionSummaryFromParameters)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace duv::bench
