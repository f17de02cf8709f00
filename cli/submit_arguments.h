#pragma once

// What `duvendal study --submit slurm` is given: how to cut the study into a cluster's tasks,
// and every option of the command as the user gave it, to hand on to the jobs.

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace duv::cli {

// One option of `duvendal study` as the user gave it (one entry per time it was given).
struct GivenOption {
  std::string name;   // its long name, "--out-dir"
  std::string value;  // its value; "true" for a flag given without one
  bool flag = false;  // a flag: written alone when its value is "true"
};

struct SubmitArguments {
  std::optional<std::string> scheduler;  // --submit: "slurm"
  std::optional<std::string> arrayBy;    // --array-by FIELD: a task per value of FIELD
  std::optional<std::size_t> pieces;     // --pieces N: N tasks of runs in order
  std::vector<std::string> sbatchOptions;
  std::vector<GivenOption> given;  // every option of the command line, in the options' order
};

}  // namespace duv::cli
