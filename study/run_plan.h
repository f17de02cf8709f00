#pragma once

// The plans of a study's runs as its pairing gives them (study/study_pairing.h from patterns,
// study/study_manifest.h from a manifest), and the problems found on the way.

#include <cstddef>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "check/contrast_expression.h"

namespace duv {

// One run to do: what it merges and checks, and where its outputs go.
struct RunPlan {
  std::string name;                    // the primary's file name
  std::string primary;                 // paths as the runner opens them (see the pairings)
  std::vector<std::string> confounds;  // in the order of the patterns or columns; never empty
  // Pattern fields, or a manifest's field columns, and their values (a manifest's may be "").
  std::vector<std::pair<std::string, std::string>> fields;
  // Relative to the study's output folder, "/" between components, "" for that folder itself;
  // never rooted, never leading out of it.
  std::string outputFolder;
  // Files the run reads beside its primary and confounds: the BOLD sidecars of an events run
  // (study/bold_sidecar.h), nearest first.
  std::vector<std::string> sidecars = {};
  // The run's own contrasts file (a manifest's `contrasts` cell), as the runner opens it, with
  // its contrasts: in place of the study's. "" and nothing: the study's contrasts. (Initialised
  // here, so that plans written as lists of their first members need not name them.)
  std::string contrastsFile = {};
  std::optional<std::vector<Contrast>> contrasts = std::nullopt;
};

// Every file the run reads: its primary, its confounds, its sidecars.
std::vector<std::string> inputPathsOf(const RunPlan& plan);

enum class PairingProblemKind {
  noMatch,                // a pattern matches no file
  missingPartner,         // a primary has no file (or several) for a confound pattern
  partnerWithoutPrimary,  // a confound file whose fields fill no primary
  missingFile,            // a manifest names a file that is not there
};

struct PairingProblem {
  PairingProblemKind kind = PairingProblemKind::noMatch;
  std::string message;             // the whole message, naming the files
  std::vector<std::string> files;  // the existing files it concerns (none for noMatch)
};

// A run the problems leave out (a primary that lacks a confound file, a manifest's run whose
// files are not all there), for the study to account for it.
struct SkippedRun {
  RunPlan plan;            // its confounds those found (patterns) or listed (a manifest)
  std::string why;         // its problems' messages, without what names the run, "; " between
  std::size_t before = 0;  // where it lies among the runs: before runs[before]
};

struct StudyPairing {
  std::vector<RunPlan> runs;             // complete runs only; never empty
  std::vector<PairingProblem> problems;  // every problem, also those allowMissing lets pass
  std::vector<SkippedRun> skipped;       // in the runs' order
  // The fields of the study's runs: the primary pattern's, or the manifest's field columns.
  std::vector<std::string> fields = {};
};

// The pairing failed: problems that are errors, or no run left to do. what() is a first line
// saying which, then each problem's message on a line of its own.
class StudyPairingError : public std::runtime_error {
 public:
  StudyPairingError(const std::string& what, std::vector<PairingProblem> problems);
  const std::vector<PairingProblem>& problems() const { return problems_; }

 private:
  std::vector<PairingProblem> problems_;
};

// Returns `pairing` when it may be run: no problems, or `allowMissing` (the runs the problems
// concern are already left out) and at least one run. Otherwise throws StudyPairingError whose
// first line is
//   the study's files do not pair (2 problems):
//   no run to do (1 problem):
//   no run to do: <noRunReason>                     (when there are no problems)
StudyPairing settlePairing(StudyPairing pairing, bool allowMissing, const std::string& noRunReason);

}  // namespace duv
