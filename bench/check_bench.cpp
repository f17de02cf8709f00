// The design check on 300 predictors x 2,000 data points, alone, with five contrasts of the
// task's conditions, and with those and the head motion of a 2,000-volume realignment (read
// from its text, framewise displacement, summary); and the five contrasts alone on a finished
// check: what contrasts and head motion add.

#include <benchmark/benchmark.h>

#include <vector>

#include "bench/bench_designs.h"
#include "check/contrast_expression.h"
#include "check/contrasts.h"
#include "check/design_check.h"
#include "check/motion_check.h"
#include "design/motion_input.h"
#include "examples/generator/study_generator.h"
#include "numerics/framewise_displacement.h"

namespace duv::bench {
namespace {

std::vector<Contrast> taskContrasts() {
  return {
      parseContrastOption("A-B=\"Condition A\" - \"Condition B\""),
      parseContrastOption("C-D=\"Condition C\" - \"Condition D\""),
      parseContrastOption("AB-CD=0.5*\"Condition A\" + 0.5*\"Condition B\" - 0.5*\"Condition C\" "
                          "- 0.5*\"Condition D\""),
      parseContrastOption("A=\"Condition A\""),
      parseContrastOption("task=\"Condition A\" + \"Condition B\" + \"Condition C\" + "
                          "\"Condition D\""),
  };
}

void sizes(benchmark::internal::Benchmark* benchmark) {
  benchmark->Args({300, 2000})->ArgNames({"predictors", "points"});
  benchmark->Unit(benchmark::kMillisecond);
}

void BM_Check(benchmark::State& state) {
  const auto& design =
      benchDesign(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
  for (auto _ : state) benchmark::DoNotOptimize(checkDesign(design, {}));
}
BENCHMARK(BM_Check)->Apply(sizes);

void BM_CheckWithContrasts(benchmark::State& state) {
  const auto& design =
      benchDesign(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
  const auto contrasts = taskContrasts();
  for (auto _ : state) {
    const auto check = checkDesign(design, {});
    for (const auto& contrast : contrasts) {
      benchmark::DoNotOptimize(checkContrast(contrast, check, {}));
    }
  }
}
BENCHMARK(BM_CheckWithContrasts)->Apply(sizes);

void BM_CheckWithContrastsAndMotion(benchmark::State& state) {
  const int points = static_cast<int>(state.range(1));
  const auto& design = benchDesign(static_cast<int>(state.range(0)), points);
  const auto contrasts = taskContrasts();
  examples::Random random(11);
  const auto motion = examples::motionParText(examples::realignmentMotion(points, random));
  for (auto _ : state) {
    const auto check = checkDesign(design, {});
    for (const auto& contrast : contrasts) {
      benchmark::DoNotOptimize(checkContrast(contrast, check, {}));
    }
    const auto input = readMotionInput(motion, "run1.par", MotionLayout::par, 0);
    benchmark::DoNotOptimize(
        checkMotion("run1.par", framewiseDisplacement(input), {}, false, design, check));
  }
}
BENCHMARK(BM_CheckWithContrastsAndMotion)->Apply(sizes);

void BM_Contrasts(benchmark::State& state) {
  const auto& design =
      benchDesign(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
  const auto contrasts = taskContrasts();
  const auto check = checkDesign(design, {});
  for (auto _ : state) {
    for (const auto& contrast : contrasts) {
      benchmark::DoNotOptimize(checkContrast(contrast, check, {}));
    }
  }
  state.counters["contrasts"] = static_cast<double>(contrasts.size());
}
BENCHMARK(BM_Contrasts)->Apply(sizes)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace duv::bench
