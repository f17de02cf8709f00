// Writes the bundled example study, or a scaled one for tests and benchmarks.
//
//   make_examples --out DIR [--points N] [--conditions K] [--predictors P] [--motion-files M]
//                 [--seed S]
//
// With the defaults it writes exactly the files committed in examples/. --predictors widens
// the task design to P predictors with the confounds of a modern study (motion terms, drifts,
// spikes, noise components) before its constant, as benchmarks of large designs need.

#include <cstdlib>
#include <exception>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>
#include <string_view>

#include "design/design_format.h"
#include "examples/generator/study_events.h"
#include "examples/generator/study_generator.h"

namespace {

struct Options {
  std::string out;
  int points = 240;
  int conditions = 4;
  int predictors = 0;  // 0: the task conditions and the constant only
  int motionFiles = 3;
  unsigned seed = 2026;
};

void writeText(const std::filesystem::path& path, const std::string& text) {
  std::ofstream file(path, std::ios::binary);
  file << text;
  if (!file.flush()) throw std::runtime_error("Cannot Create file: " + path.string());
}

int number(std::string_view name, const char* text) {
  char* end = nullptr;
  const long value = std::strtol(text, &end, 10);
  if (end == text || *end != '\0' || value < 0 || value > 10000000) {
    throw std::runtime_error(std::string(name) + " needs a whole number, not \"" + text + "\"");
  }
  return static_cast<int>(value);
}

Options parse(int argc, char** argv) {
  Options options;
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (i + 1 >= argc) throw std::runtime_error("missing value after " + std::string(arg));
    const char* value = argv[++i];
    if (arg == "--out") {
      options.out = value;
    } else if (arg == "--points") {
      options.points = number(arg, value);
    } else if (arg == "--conditions") {
      options.conditions = number(arg, value);
    } else if (arg == "--predictors") {
      options.predictors = number(arg, value);
    } else if (arg == "--motion-files") {
      options.motionFiles = number(arg, value);
    } else if (arg == "--seed") {
      options.seed = static_cast<unsigned>(number(arg, value));
    } else {
      throw std::runtime_error("unknown option " + std::string(arg));
    }
  }
  if (options.out.empty()) throw std::runtime_error("--out DIR is required");
  if (options.predictors != 0 && options.predictors < options.conditions + 1) {
    throw std::runtime_error("--predictors must be at least the conditions and the constant");
  }
  return options;
}

void writeStudy(const Options& options) {
  namespace fs = std::filesystem;
  using namespace duv::examples;
  const fs::path out = options.out;
  fs::create_directories(out / "bad");
  Random random(options.seed);

  auto task = taskDesign(options.conditions, options.points, random);
  // Their own random sequence, so that the files after the task design do not change.
  Random confoundRandom(options.seed + 3);
  addStudyConfounds(task, options.predictors, confoundRandom);
  saveDesign(task, (out / "sub01_task.sdm").string(), duv::kSdmFormat);
  for (int run = 1; run <= options.motionFiles; ++run) {
    const auto path = out / ("sub01_motion_run" + std::to_string(run) + ".sdm");
    // The last motion file comes in the compact layout other tools write.
    if (run == options.motionFiles && run > 1) {
      writeText(path,
                compactSdmText(motionParameters(options.points, random, RotationUnit::radians)));
    } else {
      saveDesign(motionParameters(options.points, random), path.string(), duv::kSdmFormat);
    }
  }
  const auto physio = confounds({"Cardiac", "Respiration"}, options.points, random);
  writeText(out / "sub01_physio.rtc", keyedRtcText(physio));
  const auto drift = confounds({"Drift 1", "Drift 2"}, options.points, random);
  writeText(out / "sub01_drift.rtc", olderRtcText(drift));

  // A matrix that does not fit the study: fewer data points.
  auto shortRun = motionParameters(options.points - 40, random);
  saveDesign(shortRun, (out / "bad" / "sub01_motion_short.sdm").string(), duv::kSdmFormat);

  // The contrasts the study tests, for `duvendal check --contrasts`.
  writeText(out / "sub01_contrasts.tsv", contrastsText(options.conditions));

  // A design that cannot be fitted as it stands, for `duvendal check`.
  if (options.conditions >= 4) {
    saveDesign(brokenDesign(task, random), (out / "bad" / "sub01_task_motion_broken.sdm").string(),
               duv::kSdmFormat);
  }

  // Confounds as other tools write them: a pipeline's table and realignment tools' files. Each
  // draws its own random numbers, so that it and the files above stay independent.
  Random table(options.seed + 1);
  writeText(out / "sub01_desc-confounds_timeseries.tsv", confoundTableText(options.points, table));
  // One realignment in the layouts of three tools.
  Random realignment(options.seed + 2);
  const auto motion = realignmentMotion(options.points, realignment);
  writeText(out / "sub01_bold_mcf.par", motionParText(motion));
  writeText(out / "sub01_rp_run1.txt", motionRpText(motion));
  writeText(out / "sub01_motion.1D", motion1DText(motion));

  // A small study of its own, for `duvendal study`.
  for (const auto& file : exampleStudy({}, options.seed)) {
    const auto path = out / "study" / file.path;
    fs::create_directories(path.parent_path());
    writeText(path, file.text);
  }
  // Its runs' events and the dataset's sidecar, for `duvendal study --events`.
  for (const auto& file : exampleStudyEvents({}, options.seed)) {
    const auto path = out / "study" / file.path;
    fs::create_directories(path.parent_path());
    writeText(path, file.text);
  }
}

}  // namespace

int main(int argc, char** argv) {
  try {
    writeStudy(parse(argc, argv));
    return 0;
  } catch (const std::exception& error) {
    std::cerr << "make_examples: " << error.what() << '\n';
    return 1;
  }
}
