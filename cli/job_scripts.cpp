#include "cli/job_scripts.h"

#include <algorithm>
#include <array>

#include "design/paths.h"

namespace duv::cli {
namespace {

// The submission's own options, and -j: a task's CPUs are SLURM's to say.
constexpr std::array<std::string_view, 6> kNotForTasks{"--submit",        "--array-by", "--pieces",
                                                       "--sbatch-option", "--dry-run",  "--jobs"};

// The options that choose or do runs, which --group-only has no use for (and refuses), and
// --group-only itself, which the gathering job gives.
constexpr std::array<std::string_view, 8> kNotForGathering{
    "--manifest", "--primary",  "--confounds-from", "--allow-missing",
    "--only",     "--run-list", "--force",          "--group-only"};

// The options whose values are paths (or patterns of paths) the jobs open.
constexpr std::array<std::string_view, 5> kPathOptions{
    "--manifest", "--primary", "--confounds-from", "--contrasts", "--out-dir"};

template <std::size_t n>
bool isOneOf(const std::string& name, const std::array<std::string_view, n>& names) {
  return std::find(names.begin(), names.end(), name) != names.end();
}

// The field an --only text selects: the part before its '='.
std::string selectedField(const std::string& only) { return only.substr(0, only.find('=')); }

std::string optionWord(const GivenOption& option, const std::string& currentFolder) {
  if (option.flag && option.value == "true") return option.name;
  auto value = option.value;
  if (isOneOf(option.name, kPathOptions)) value = joinPath(currentFolder, value);
  return option.name + "=" + value;
}

// SLURM reads %-patterns in a log file's name (%A the array's job id, %a the task, %j the job):
// a '%' of the folder's own is written twice to stay one.
std::string logPattern(const StudyJobs& jobs, const std::string& name) {
  std::string pattern;
  for (const char c : logFolder(jobs)) {
    pattern += c;
    if (c == '%') pattern += '%';
  }
  return pattern + "/" + name;
}

std::string header(const StudyJobs& jobs, const std::string& what) {
  return "#!/bin/sh\n# " + what +
         " (duvendal study --submit slurm).\n"
         "# Where the study was submitted: paths not made absolute are relative to it.\ncd " +
         shellQuoted(jobs.currentFolder) + " || exit 1\n";
}

}  // namespace

std::string shellQuoted(std::string_view word) {
  std::string quoted = "'";
  for (const char c : word) {
    if (c == '\'') {
      quoted += "'\\''";
    } else {
      quoted += c;
    }
  }
  return quoted + "'";
}

std::string shellWords(const std::vector<std::string>& words) {
  std::string line;
  for (const auto& word : words) {
    if (!line.empty()) line += ' ';
    line += shellQuoted(word);
  }
  return line;
}

std::vector<std::string> taskOptions(const std::vector<GivenOption>& given,
                                     const std::string& currentFolder, const std::string& arrayBy) {
  std::vector<std::string> words;
  for (const auto& option : given) {
    if (isOneOf(option.name, kNotForTasks)) continue;
    if (option.name == "--only" && !arrayBy.empty() && selectedField(option.value) == arrayBy) {
      continue;
    }
    words.push_back(optionWord(option, currentFolder));
  }
  return words;
}

std::vector<std::string> gatherOptions(const std::vector<GivenOption>& given,
                                       const std::string& currentFolder) {
  std::vector<std::string> words;
  for (const auto& option : given) {
    if (isOneOf(option.name, kNotForTasks) || isOneOf(option.name, kNotForGathering)) continue;
    words.push_back(optionWord(option, currentFolder));
  }
  return words;
}

std::string arrayScript(const StudyJobs& jobs) {
  std::string script = header(jobs, "A piece of the study per task of this array job");
  script += "case \"$SLURM_ARRAY_TASK_ID\" in\n";
  for (std::size_t task = 0; task < jobs.pieces.size(); ++task) {
    script += "  " + std::to_string(task) + ") piece=" + shellQuoted(jobs.pieces[task]) + " ;;\n";
  }
  script +=
      "  *) echo \"study.sh: no piece for array task '$SLURM_ARRAY_TASK_ID'\" >&2; exit 64 ;;\n"
      "esac\n";
  std::vector<std::string> command{jobs.tool, "study"};
  command.insert(command.end(), jobs.taskOptions.begin(), jobs.taskOptions.end());
  script += "exec " + shellWords(command) + " -j \"${SLURM_CPUS_PER_TASK:-1}\" \"$piece\"\n";
  return script;
}

std::string gatherScript(const StudyJobs& jobs) {
  std::vector<std::string> command{jobs.tool, "study", "--group-only"};
  command.insert(command.end(), jobs.gatherOptions.begin(), jobs.gatherOptions.end());
  return header(jobs, "The group outputs from the runs' records, after the array job") + "exec " +
         shellWords(command) + "\n";
}

std::vector<std::string> arraySubmission(const StudyJobs& jobs,
                                         const std::vector<std::string>& sbatchOptions) {
  std::vector<std::string> command{"sbatch", "--parsable", "--job-name=duvendal-study",
                                   "--array=0-" + std::to_string(jobs.pieces.size() - 1),
                                   "--output=" + logPattern(jobs, "study-%A_%a.log")};
  command.insert(command.end(), sbatchOptions.begin(), sbatchOptions.end());
  command.push_back(arrayScriptPath(jobs));
  return command;
}

std::vector<std::string> gatherSubmission(const StudyJobs& jobs, const std::string& arrayJobId,
                                          const std::vector<std::string>& sbatchOptions) {
  std::vector<std::string> command{"sbatch", "--parsable", "--job-name=duvendal-group",
                                   "--dependency=afterany:" + arrayJobId,
                                   "--output=" + logPattern(jobs, "group-%j.log")};
  command.insert(command.end(), sbatchOptions.begin(), sbatchOptions.end());
  command.push_back(gatherScriptPath(jobs));
  return command;
}

std::string arrayScriptPath(const StudyJobs& jobs) { return jobs.folder + "/study.sh"; }
std::string gatherScriptPath(const StudyJobs& jobs) { return jobs.folder + "/group.sh"; }
std::string pieceFilePath(const StudyJobs& jobs, std::size_t task) {
  return jobs.folder + "/piece-" + std::to_string(task) + ".txt";
}
std::string logFolder(const StudyJobs& jobs) { return jobs.folder + "/logs"; }

std::vector<std::size_t> pieceBounds(std::size_t runs, std::size_t pieces) {
  std::vector<std::size_t> bounds{0};
  const std::size_t size = runs / pieces;
  const std::size_t larger = runs % pieces;
  for (std::size_t piece = 0; piece < pieces; ++piece) {
    bounds.push_back(bounds.back() + size + (piece < larger ? 1 : 0));
  }
  return bounds;
}

}  // namespace duv::cli
