// Study runs as whole processes on a generated study of 200 runs (50 subjects x 4 runs; 20 task
// predictors, 36 confounds chosen from each run's confound table, 400 volumes; reports, tables,
// contrasts and head motion): `duvendal study` on both cores, against a shell loop that runs
// merge-all and check once per run, and `duvendal study` again with nothing changed.

#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "bench/bench_designs.h"
#include "bench/process_runner.h"
#include "design/design_format.h"
#include "examples/generator/study_generator.h"

namespace duv::bench {
namespace {

namespace fs = std::filesystem;

constexpr int kSubjects = 50;
constexpr int kRuns = 4;
constexpr int kPoints = 400;

std::string label(int number) { return (number < 10 ? "0" : "") + std::to_string(number); }

void writeText(const fs::path& path, const std::string& text) {
  fs::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary) << text;
}

// The study's folder, generated once: designs, confound tables and the contrasts.
const std::string& studyRoot() {
  static const std::string root = [] {
    const auto folder = fs::path(scratchDir()) / "study_bench";
    fs::remove_all(folder);
    for (int subject = 1; subject <= kSubjects; ++subject) {
      for (int run = 1; run <= kRuns; ++run) {
        examples::Random random(static_cast<std::uint64_t>(subject * 10 + run));
        const auto stem = "sub-" + label(subject) + "_task-faces_run-" + std::to_string(run);
        auto design = examples::taskDesign(20, kPoints, random);
        const auto designPath =
            folder / ("sub-" + label(subject)) / "func" / (stem + "_design.sdm");
        fs::create_directories(designPath.parent_path());
        saveDesign(design, designPath.string(), kSdmFormat);
        writeText(folder / "derivatives" / ("sub-" + label(subject)) / "func" /
                      (stem + "_desc-confounds_timeseries.tsv"),
                  examples::confoundTableText(kPoints, random));
      }
    }
    writeText(folder / "contrasts.tsv", examples::contrastsText(20));
    return folder.string();
  }();
  return root;
}

// The 36 confounds: 24 motion terms, CSF and white matter, 5 CompCor components, the cosine
// drifts and the global signal.
const std::vector<std::string> kConfounds = {"--confounds", "motion24",   "--confounds", "wm_csf",
                                             "--confounds", "acompcor:5", "--confounds", "cosine",
                                             "--confounds", "global"};

std::vector<std::string> studyCommand(const std::string& out, bool force) {
  const auto& root = studyRoot();
  std::vector<std::string> command{
      DUVENDAL_TOOL,
      "study",
      "--primary",
      root + "/sub-{sub}/func/sub-{sub}_task-{task}_run-{run}_design.sdm",
      "--confounds-from",
      root +
          "/derivatives/sub-{sub}/func/"
          "sub-{sub}_task-{task}_run-{run}_desc-confounds_timeseries.tsv",
      "--allcorr",
      "--contrasts",
      root + "/contrasts.tsv",
      "--out-dir",
      out,
      "-j",
      "2"};
  command.insert(command.end(), kConfounds.begin(), kConfounds.end());
  if (force) command.push_back("--force");
  return command;
}

void reportRuns(benchmark::State& state) {
  state.counters["runs_per_s"] = benchmark::Counter(static_cast<double>(kSubjects * kRuns),
                                                    benchmark::Counter::kIsIterationInvariantRate);
}

void BM_StudyOnBothCores(benchmark::State& state) {
  const auto command = studyCommand(scratchDir() + "/study_bench_out", true);
  for (auto _ : state) {
    const auto run = runProgram(command);
    if (run.exitCode != 0 && run.exitCode != 3) state.SkipWithError("duvendal study failed");
    state.counters["peak_MB"] = static_cast<double>(run.peakMemoryKb) * 1024 / 1e6;
  }
  reportRuns(state);
}
BENCHMARK(BM_StudyOnBothCores)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

void BM_StudyNothingChanged(benchmark::State& state) {
  const auto out = scratchDir() + "/study_bench_out";
  if (runProgram(studyCommand(out, true)).exitCode > 3) state.SkipWithError("study failed");
  const auto command = studyCommand(out, false);
  for (auto _ : state) {
    const auto run = runProgram(command);
    if (run.exitCode != 0 && run.exitCode != 3) state.SkipWithError("duvendal study failed");
  }
  reportRuns(state);
}
BENCHMARK(BM_StudyNothingChanged)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

// What researchers do without the study command: one merge-all and one check per run, one
// process after the other.
void BM_ShellLoopOfMergeAllAndCheck(benchmark::State& state) {
  const auto& root = studyRoot();
  const auto out = scratchDir() + "/study_loop_out";
  std::string confounds;
  for (const auto& word : kConfounds) confounds += " " + word;
  const std::string script =
      "set -e; cd '" + root +
      "'; for design in sub-*/func/*_design.sdm; do "
      "stem=$(basename \"$design\" _design.sdm); sub=${design%%/*}; "
      "table=derivatives/$sub/func/${stem}_desc-confounds_timeseries.tsv; "
      "'" DUVENDAL_TOOL "' merge-all -q --allcorr" +
      confounds + " --out-dir '" + out +
      "' --primary \"$design\" \"$table\"; "
      "'" DUVENDAL_TOOL
      "' check --contrasts contrasts.tsv --motion \"$table\" "
      "'" +
      out +
      "'/${stem}_design_desc-confounds_timeseries.sdm > /dev/null || [ $? -eq 3 ]; "
      "done";
  for (auto _ : state) {
    const auto run = runProgram({"/bin/bash", "-c", script});
    if (run.exitCode != 0) state.SkipWithError("the shell loop failed");
  }
  reportRuns(state);
}
BENCHMARK(BM_ShellLoopOfMergeAllAndCheck)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(3);

}  // namespace
}  // namespace duv::bench
