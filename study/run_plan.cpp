#include "study/run_plan.h"

namespace duv {
namespace {

std::string problemCount(std::size_t count) {
  return std::to_string(count) + (count == 1 ? " problem" : " problems");
}

std::string withMessages(std::string first, const std::vector<PairingProblem>& problems) {
  for (const auto& problem : problems) first += "\n" + problem.message;
  return first;
}

}  // namespace

std::vector<std::string> inputPathsOf(const RunPlan& plan) {
  std::vector<std::string> paths{plan.primary};
  paths.insert(paths.end(), plan.confounds.begin(), plan.confounds.end());
  paths.insert(paths.end(), plan.sidecars.begin(), plan.sidecars.end());
  return paths;
}

StudyPairingError::StudyPairingError(const std::string& what, std::vector<PairingProblem> problems)
    : std::runtime_error(what), problems_(std::move(problems)) {}

StudyPairing settlePairing(StudyPairing pairing, bool allowMissing,
                           const std::string& noRunReason) {
  auto& problems = pairing.problems;
  if (!problems.empty() && !allowMissing) {
    auto what = withMessages(
        "the study's files do not pair (" + problemCount(problems.size()) + "):", problems);
    throw StudyPairingError(what, std::move(problems));
  }
  if (pairing.runs.empty()) {
    auto what =
        problems.empty()
            ? "no run to do: " + noRunReason
            : withMessages("no run to do (" + problemCount(problems.size()) + "):", problems);
    throw StudyPairingError(what, std::move(problems));
  }
  return pairing;
}

}  // namespace duv
