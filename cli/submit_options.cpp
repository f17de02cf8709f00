#include "cli/submit_options.h"

#include <string>

namespace duv::cli {

void addSubmitOptions(CLI::App& command, StudyArguments& arguments) {
  auto& submit = arguments.submit;
  command
      .add_option("--submit", submit.scheduler,
                  "Hand the study to a cluster's scheduler (slurm): an array job whose tasks "
                  "each do one piece of it, then a job that builds the group outputs; job "
                  "scripts and logs in DIR/slurm (with --dry-run: printed, not submitted)")
      ->type_name("SCHEDULER")
      ->check(CLI::IsMember({"slurm"}));
  auto* arrayBy = command
                      .add_option("--array-by", submit.arrayBy,
                                  "With --submit: a task per value of the pattern field FIELD "
                                  "(each does --only FIELD=VALUE)")
                      ->type_name("FIELD");
  auto* pieces = command
                     .add_option("--pieces", submit.pieces,
                                 "With --submit: N tasks, each doing its share of the runs in "
                                 "order (default: a task per run, at most 100)")
                     ->type_name("N")
                     ->check(CLI::PositiveNumber);
  arrayBy->excludes(pieces);
  command
      .add_option("--sbatch-option", submit.sbatchOptions,
                  "With --submit: an option sbatch takes for both jobs, e.g. "
                  "--sbatch-option=--cpus-per-task=8 (repeatable)")
      ->type_name("OPT")
      ->allow_extra_args(false);
  command
      .add_option("--run-list", arguments.runList,
                  "Do only the runs whose primaries FILE lists, one a line (the group outputs "
                  "are then left to --group-only)")
      ->type_name("FILE");
}

std::vector<GivenOption> givenOptions(const CLI::App& command) {
  std::vector<GivenOption> given;
  for (const auto* option : command.get_options()) {
    const bool flag = option->get_expected_min() == 0;
    for (const auto& value : option->results()) given.push_back({option->get_name(), value, flag});
  }
  return given;
}

}  // namespace duv::cli
