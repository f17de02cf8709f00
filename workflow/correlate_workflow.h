#pragma once

// The correlation files of one design matrix, without merging anything.

#include <cstddef>

#include "design/design_matrix.h"
#include "workflow/log_sink.h"

namespace duv {

class FileSystem;

// Writes the correlation report (correlationReportPath of design.fileName) and then the
// correlation table (correlationTablePath) beside the design's file, and logs where the table
// went: texts::kSavedCorrelationsLog with the table's path. The report's fits run on `workers`
// threads, the calling one among them; the files are the same bytes for any number.
// Throws the writers' errors and MatrixInversionError (after the report's list sections were
// written); the steps after the failing one do not run.
void correlateDesign(const DesignMatrix& design, FileSystem& files, const LogSink& log,
                     std::size_t workers = 1);

}  // namespace duv
