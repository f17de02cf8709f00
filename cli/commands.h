#pragma once

// The subcommands of the command-line tool. Each returns the process's exit code and throws
// std::exception-derived errors for failures that end the whole run.

#include <optional>
#include <string>
#include <vector>

#include "cli/tool_inputs.h"
#include "workflow/merge_request.h"

namespace duv::cli {

enum ExitCode : int {
  kSuccess = 0,
  kFailure = 1,
  kDataPointMismatch = 2,
  kWarningsAtLevel = 3,  // check: a warning reached the --fail-on level
  kUsage = 64
};

struct MergeArguments {
  std::string primary;  // merge-all only
  std::vector<std::string> secondaries;
  std::optional<std::string> outDir;
  bool baseline = true;
  bool zTransform = false;
  bool allCorrelations = false;
  bool quiet = false;
  ConfoundArguments confounds;
  std::optional<std::string> htmlDir;  // a check page per result, inside this folder
  std::optional<std::string> exports;  // --export FORMAT[,FORMAT...]
  // --task-columns: the task predictors of a primary TSV design without a sidecar.
  std::vector<std::string> taskColumns;
};

// The formats a result is saved in: its SDM file, then the files of every --export format.
// Throws parseExportFormats's std::invalid_argument.
std::vector<const DesignFormat*> savedFormatsFor(const std::optional<std::string>& exports);

struct ConvertArguments {
  std::vector<std::string> files;
  std::string exports;  // --export, required
  std::optional<std::string> outDir;
  std::vector<std::string> taskColumns;
  bool quiet = false;
};

// merge-all (MergeKind::withPrimary: the primary with every secondary) and merge-sec (all
// secondaries into one). Refuses a merge-sec of fewer than two inputs, inputs the tool does not
// read, confound options no input takes, and outputs that would clash with each other or an input,
// all before anything is read; folders are made when the first file goes into them. Returns
// kDataPointMismatch after printing the mismatch, else kSuccess; throws every other failure
// (results saved before it stay).
int runMerge(const MergeArguments& arguments, MergeKind kind);

// The correlation report and table of every SDM file, beside it; a failing file does not stop
// the others. With htmlDir, also a check page per file inside that folder (also when only the
// report's inversion failed). Returns kFailure when any file failed.
int runCorrelations(const std::vector<std::string>& files, bool quiet,
                    const std::optional<std::string>& htmlDir,
                    const std::vector<std::string>& taskColumns);

// convert: every file read as a design (readTaskDesignFile for ".tsv" files, the seam of design
// formats for the others) and written in each --export format, beside it or in outDir under
// its name (pathInFormat of its converted name). Every file is read before anything is written,
// and outputs that would clash with each other or an input are refused before anything is read;
// throws the first failure.
int runConvert(const ConvertArguments& arguments);

}  // namespace duv::cli
