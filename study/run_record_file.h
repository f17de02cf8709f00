#pragma once

// Run records as files (layout in study/run_record_format.h), written beside a run's outputs and
// read back exactly: every value, the fields' order, non-finite doubles, texts of any bytes.

#include <string>

#include "design/file_system.h"
#include "study/run_record.h"

namespace duv {

// The file name of the record of the run named `runName` (its primary's file name), to be put
// in the run's output folder: "sub-01_run-1.sdm" gives "sub-01_run-1.run.json".
std::string runRecordFileName(const std::string& runName);

// The record as the text of its file. Throws std::invalid_argument when its status is none of
// ok, medium, high, error, failed.
std::string runRecordText(const RunRecord& record);

// The record in `text`, the contents of the file `path`, which only names it in errors. Throws
// std::runtime_error "<path>, line N: ..." for text that is not JSON or ends early, and
// "<path>: ..." for JSON that is not a record of this schema: another schema, a missing or
// unknown key, a value of the wrong type or out of range (naming the key, as in
// "inputs[2].size: expected a whole number from 0").
RunRecord parseRunRecord(const std::string& text, const std::string& path);

// The record's file at `path`, written through `files` (a temporary file renamed into place).
// Throws as runRecordText and writeFile do.
void writeRunRecord(FileSystem& files, const std::string& path, const RunRecord& record);

// The record in the file at `path`. Throws as FileSystem::readFile and parseRunRecord do.
RunRecord readRunRecord(FileSystem& files, const std::string& path);

}  // namespace duv
