#include "cli/study_submit.h"

#include <algorithm>
#include <filesystem>
#include <iostream>
#include <stdexcept>

#include "cli/job_scripts.h"
#include "cli/process.h"
#include "design/file_system.h"
#include "design/paths.h"

namespace duv::cli {
namespace {

// A task per run spreads a small study as wide as it goes; beyond this many, tasks take several
// runs each, keeping the array well inside what clusters allow (SLURM's MaxArraySize is 1001
// unless raised) and each task's start-up small beside its work.
constexpr std::size_t kDefaultMostPieces = 100;

std::string fieldNames(const RunPlan& run) {
  std::string names;
  for (const auto& [field, value] : run.fields) names += (names.empty() ? "" : ", ") + field;
  return names.empty() ? "none" : names;
}

// --only FIELD=VALUE for each value of FIELD, in the order the runs first show it.
std::vector<std::string> piecesByField(const StudyArguments& arguments,
                                       const std::vector<RunPlan>& runs) {
  const auto& field = *arguments.submit.arrayBy;
  if (arguments.manifest && runs.front().fields.empty()) {
    throw std::runtime_error("--array-by " + field +
                             ": a manifest's runs have no fields to split by; give --pieces N");
  }
  std::vector<std::string> values;
  for (const auto& run : runs) {
    const auto found = std::find_if(run.fields.begin(), run.fields.end(),
                                    [&field](const auto& pair) { return pair.first == field; });
    if (found == run.fields.end()) {
      throw std::runtime_error("--array-by " + field + ": the runs have no field " + field +
                               " (they have " + fieldNames(run) + ")");
    }
    if (std::find(values.begin(), values.end(), found->second) == values.end()) {
      values.push_back(found->second);
    }
  }
  std::vector<std::string> pieces;
  pieces.reserve(values.size());
  for (const auto& value : values) pieces.push_back("--only=" + field + "=" + value);
  return pieces;
}

struct PieceFile {
  std::string path;
  std::string text;
};

// The runs in order, cut into --pieces N, each listed by its absolute primary.
std::vector<PieceFile> pieceFiles(const StudyArguments& arguments, const StudyJobs& jobs,
                                  const std::vector<RunPlan>& runs) {
  const auto count = arguments.submit.pieces.value_or(std::min(runs.size(), kDefaultMostPieces));
  if (count > runs.size()) {
    throw std::runtime_error("--pieces " + std::to_string(count) + ": the study has only " +
                             std::to_string(runs.size()) + (runs.size() == 1 ? " run" : " runs"));
  }
  const auto bounds = pieceBounds(runs.size(), count);
  std::vector<PieceFile> files;
  for (std::size_t piece = 0; piece < count; ++piece) {
    PieceFile file{pieceFilePath(jobs, piece), ""};
    for (auto run = bounds[piece]; run < bounds[piece + 1]; ++run) {
      const auto primary = joinPath(jobs.currentFolder, runs[run].primary);
      if (primary.find('\n') != std::string::npos) {
        throw std::runtime_error("'" + primary +
                                 "' holds a line break and cannot be listed in a piece file: "
                                 "give --array-by FIELD");
      }
      file.text += primary + "\n";
    }
    files.push_back(std::move(file));
  }
  return files;
}

// The job id of sbatch --parsable's answer: "<id>" or "<id>;<cluster>", then a line break.
std::string jobIdOf(const ProgramOutput& answer) {
  auto id = answer.out.substr(0, answer.out.find_first_of(";\n"));
  const bool digits =
      !id.empty() && std::all_of(id.begin(), id.end(), [](char c) { return c >= '0' && c <= '9'; });
  if (!digits) throw std::runtime_error("sbatch answered '" + answer.out + "', not a job id");
  return id;
}

std::string trimmed(std::string text) {
  while (!text.empty() && (text.back() == '\n' || text.back() == ' ')) text.pop_back();
  return text;
}

std::string submitJob(const std::vector<std::string>& command, const std::string& what) {
  const auto answer = runProgram(command);
  if (answer.exitCode != 0) {
    throw std::runtime_error("sbatch refused " + what + " (exit code " +
                             std::to_string(answer.exitCode) +
                             "): " + trimmed(answer.err.empty() ? answer.out : answer.err));
  }
  return jobIdOf(answer);
}

void printDryRun(const StudyJobs& jobs, const std::vector<PieceFile>& pieces,
                 const std::vector<std::string>& sbatchOptions) {
  std::cout << "==> " << arrayScriptPath(jobs) << " <==\n" << arrayScript(jobs);
  for (const auto& piece : pieces) std::cout << "==> " << piece.path << " <==\n" << piece.text;
  std::cout << "==> " << gatherScriptPath(jobs) << " <==\n" << gatherScript(jobs);
  std::cout << "==> submitted with <==\n"
            << shellWords(arraySubmission(jobs, sbatchOptions)) << '\n'
            << shellWords(gatherSubmission(jobs, "<array job id>", sbatchOptions)) << '\n';
}

void writeText(const std::string& path, const std::string& text) {
  writeFile(realFileSystem(), path, [&text](std::ostream& out) { out << text; });
}

}  // namespace

void validateSubmitArguments(const StudyArguments& arguments) {
  const auto& submit = arguments.submit;
  if (!submit.scheduler) {
    if (submit.arrayBy || submit.pieces || !submit.sbatchOptions.empty()) {
      throw std::invalid_argument("--array-by, --pieces and --sbatch-option go with --submit");
    }
  } else if (arguments.outDir.empty()) {
    throw std::invalid_argument("--submit needs --out-dir: the job scripts go into it");
  } else if (arguments.groupOnly || arguments.runList) {
    throw std::invalid_argument(
        "--submit cuts the study into pieces itself: it takes no --group-only or --run-list");
  }
  if (arguments.groupOnly && arguments.runList) {
    throw std::invalid_argument("--group-only takes no --run-list");
  }
}

int submitStudy(const StudyArguments& arguments, const std::vector<RunPlan>& runs) {
  const auto& submit = arguments.submit;
  StudyJobs jobs;
  jobs.currentFolder = std::filesystem::current_path().string();
  jobs.folder = joinPath(joinPath(jobs.currentFolder, arguments.outDir), "slurm");
  jobs.tool = runningProgramPath();
  jobs.taskOptions = taskOptions(submit.given, jobs.currentFolder, submit.arrayBy.value_or(""));
  jobs.gatherOptions = gatherOptions(submit.given, jobs.currentFolder);
  std::vector<PieceFile> pieces;
  if (submit.arrayBy) {
    jobs.pieces = piecesByField(arguments, runs);
  } else {
    pieces = pieceFiles(arguments, jobs, runs);
    for (const auto& piece : pieces) jobs.pieces.push_back("--run-list=" + piece.path);
  }
  if (arguments.dryRun) {
    printDryRun(jobs, pieces, submit.sbatchOptions);
    return kSuccess;
  }

  // SLURM writes no log into a folder that is not there: the job would fail unseen.
  realFileSystem().createFolders(logFolder(jobs));
  for (const auto& piece : pieces) writeText(piece.path, piece.text);
  writeText(arrayScriptPath(jobs), arrayScript(jobs));
  writeText(gatherScriptPath(jobs), gatherScript(jobs));
  const auto array = submitJob(arraySubmission(jobs, submit.sbatchOptions), "the array job");
  const auto gather = [&] {
    try {
      return submitJob(gatherSubmission(jobs, array, submit.sbatchOptions), "the gathering job");
    } catch (const std::runtime_error& error) {
      throw std::runtime_error(std::string(error.what()) + "; the array job " + array +
                               " is submitted (scancel " + array + " cancels it)");
    }
  }();
  const auto tasks = jobs.pieces.size();
  std::cout << "Submitted " << runs.size() << (runs.size() == 1 ? " run" : " runs") << " in "
            << tasks << (tasks == 1 ? " piece" : " pieces") << " as array job " << array
            << ", and the group outputs as job " << gather << " after it.\n"
            << "Follow them with: squeue -j " << array << ',' << gather << '\n'
            << "Logs: " << logFolder(jobs) << "/study-" << array << "_<task>.log and group-"
            << gather << ".log\n";
  return kSuccess;
}

}  // namespace duv::cli
