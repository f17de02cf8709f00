#include "tests/study/study_records.h"

#include <limits>
#include <random>

namespace duv::testing {
namespace {

std::string twoDigits(int number) { return (number < 10 ? "0" : "") + std::to_string(number); }

RunRecord namedRun(const std::string& subject, int run) {
  RunRecord record;
  const std::string stem = "sub-" + subject + "_run-" + std::to_string(run) + "_task";
  record.name = stem + ".sdm";
  record.fields = {{"sub", subject}, {"run", std::to_string(run)}};
  record.primary = "study/sub-" + subject + "/" + record.name;
  record.confounds = {"study/sub-" + subject + "/" + stem + "_motion.par",
                      "study/sub-" + subject + "/" + stem + "_physio.rtc"};
  record.toolVersion = "1.0.0";
  record.options = "--spikes fd:0.5 --contrast A-B";
  record.inputs = {{record.primary, 24012, 1733580000123456789},
                   {record.confounds[0], 9120, 1733580000987654321}};
  record.checkPage = "sub-" + subject + "/run-" + std::to_string(run) + "/" + stem + ".html";
  return record;
}

}  // namespace

RunRecord completeRun(const std::string& subject, int run) {
  RunRecord record = namedRun(subject, run);
  record.outputs = {"sub-" + subject + "/run-" + std::to_string(run) + "/merged.sdm",
                    record.checkPage};
  record.status = CheckStatus::medium;
  record.dataPoints = 240;
  record.predictors = 14;
  record.residualDegreesOfFreedom = 226;
  record.highestTaskVif = {{"Condition A", 1.84}};
  record.strongestTaskConfound = RunRecord::Pair{"Condition A", "tx", -0.4125};
  record.meanDisplacement = 0.1234;
  record.maxDisplacement = 0.81;
  record.spikes = 3;
  record.contrasts = {{"A-B", true, 1.25}, {"C", true, 2.5}};
  record.reasons = {"Condition A ~ tx r = -0.41", "contrast A-B cVIF 1.25"};
  return record;
}

RunRecord failedRun(const std::string& subject, int run, const std::string& error) {
  RunRecord record = namedRun(subject, run);
  record.status = CheckStatus::failed;
  record.firstError = error;
  record.reasons = {error};
  return record;
}

std::vector<RunRecord> simulatedStudy(std::size_t runs, std::uint32_t seed) {
  std::mt19937 generator(seed);
  std::lognormal_distribution<double> displacement(-2.0, 0.35);
  std::lognormal_distribution<double> vif(-1.0, 0.6);  // above 1
  std::uniform_real_distribution<double> uniform(0.0, 1.0);
  std::vector<RunRecord> study;
  for (std::size_t i = 0; i < runs; ++i) {
    const auto subject = twoDigits(static_cast<int>(i / 4) + 1);
    const int run = static_cast<int>(i % 4) + 1;
    if (i % 41 == 7) {
      study.push_back(failedRun(subject, run,
                                "sub-" + subject + "_run-" + std::to_string(run) +
                                    "_motion.par, line 12: expected 6 values"));
      continue;
    }
    RunRecord record = completeRun(subject, run);
    const double draw = uniform(generator);
    record.status = draw < 0.7    ? CheckStatus::ok
                    : draw < 0.85 ? CheckStatus::medium
                    : draw < 0.95 ? CheckStatus::high
                                  : CheckStatus::error;
    record.highestTaskVif->second = 1 + vif(generator);
    if (i % 23 == 5) record.highestTaskVif->second *= 8;  // far above the others
    if (i % 67 == 11) record.highestTaskVif->second = std::numeric_limits<double>::infinity();
    record.strongestTaskConfound->r = uniform(generator) * 1.4 - 0.7;
    record.meanDisplacement = displacement(generator);
    if (i % 29 == 3) *record.meanDisplacement *= 5;  // restless
    record.maxDisplacement = *record.meanDisplacement * (3 + 4 * uniform(generator));
    record.spikes = static_cast<std::size_t>(uniform(generator) * 6);
    if (i % 31 == 13) {  // no head motion
      record.meanDisplacement.reset();
      record.maxDisplacement.reset();
      record.spikes.reset();
    }
    record.contrasts[0].vif = 1 + uniform(generator);
    if (i % 53 == 17) {
      record.contrasts[1] = {"C", false, std::numeric_limits<double>::infinity()};
    }
    study.push_back(std::move(record));
  }
  return study;
}

}  // namespace duv::testing
