#pragma once

// Every run record below a study's output folder, for building the group outputs from the
// records alone (the study may have been run in pieces, by separate processes).

#include <string>
#include <vector>

#include "design/file_system.h"
#include "study/run_record.h"

namespace duv {

struct FoundRunRecords {
  std::vector<RunRecord> records;  // in study order (sortRuns)
  // One message per record file that cannot be read, or folder that cannot be listed, each
  // naming its path; in path order.
  std::vector<std::string> errors;
};

// Reads every file named "*.run.json" (study/run_record_format.h) in `outputFolder` and the
// folders below it, without following links to folders, through `files`. Files that cannot be
// read or parsed do not stop the search: they go to `errors`, as do folders below that cannot
// be listed, and records whose outputs do not lie in their own folder (misplacedOutput):
//   <path>: output "../x.sdm" does not lie in its run's folder "a"; the record is not used
// Throws std::runtime_error "<outputFolder>: not a folder" when `outputFolder` is none, and
// "<outputFolder>: cannot be listed (<reason>)" when it cannot be listed.
FoundRunRecords findRunRecords(const std::string& outputFolder, FileSystem& files);

// Puts runs in study order: by their fields' values in the records' order, then by name, digits
// compared as numbers ("sub-2" before "sub-10"). Stable: runs equal in both keep their order.
void sortRuns(std::vector<RunRecord>& runs);

}  // namespace duv
