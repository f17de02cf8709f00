#pragma once

// Design matrices as TSV files with a JSON sidecar (tsv_design_format.h): writing both, and
// reading a design back from them, or from a TSV alone whose task columns the user names.

#include <cstddef>
#include <iosfwd>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "design/design_matrix.h"

namespace duv {

class FileSystem;

// The split of a design's columns as the exports write it.
struct DesignColumns {
  std::vector<std::size_t> task;       // the main predictors, in order
  std::vector<std::size_t> confounds;  // the other predictors but the constant, in order
  // The constant: the last predictor, when the matrix says it includes one and that predictor
  // is one non-zero value throughout.
  std::optional<std::size_t> constant;
};
DesignColumns designColumnsOf(const DesignMatrix& design);

// The design as TSV text: the header of the names (task columns, confounds, the constant), then
// one row per data point, each value the shortest text that reads back as the same float.
// Throws std::runtime_error for a name that holds a tab or a line break, which no TSV header can.
void writeTsvDesign(const DesignMatrix& design, std::ostream& out);
// The sidecar of that TSV. Throws std::runtime_error for a name that is not UTF-8 text, which
// JSON cannot hold.
void writeTsvSidecar(const DesignMatrix& design, std::ostream& out);

// "<path without extension>.json": the sidecar beside a TSV design.
std::string sidecarPathOf(std::string_view tsvPath);
// Whether a regular file is at sidecarPathOf(tsvPath).
bool hasSidecar(const std::string& tsvPath, FileSystem& files);

// Reads a TSV design at `path` (text `text`) with its sidecar (text `sidecar`, at
// `sidecarPath`). The matrix's fileName is convertedFileName(path); firstConfoundPredictor
// follows the task columns, so the constant is read back as a confound. Throws
// std::runtime_error naming the file: the errors of readConfoundTable (a ragged row, a cell that
// is not a number), an "n/a" cell, a sidecar that is not JSON or lacks a key, and a sidecar that
// does not match the TSV ("<sidecar> does not match <path>: ..." for the number or the names of
// the columns, or the number of data points).
DesignMatrix readTsvDesign(std::string_view text, const std::string& path, std::string_view sidecar,
                           const std::string& sidecarPath);

// Reads a TSV without a sidecar as a design: the columns named in `taskColumns` are the task
// predictors (in the TSV's order), the others confounds, a last column of one non-zero value
// the constant. Throws as readTsvDesign, and std::runtime_error for a task column the TSV lacks.
DesignMatrix readTsvDesignWithTaskColumns(std::string_view text, const std::string& path,
                                          const std::vector<std::string>& taskColumns);

// The message for a TSV read where a design is expected that has neither a sidecar nor task
// columns given: how to mark them.
std::string unmarkedTsvDesignMessage(const std::string& path);

// Reads the file at `path` where a design with its task predictors is expected (a primary, a
// design to correlate or convert): a ".tsv" as a TSV design, by its sidecar, else by
// `taskColumns`, else std::runtime_error unmarkedTsvDesignMessage; any other file as an SDM file
// (readSdmFile), whatever its extension.
DesignMatrix readTaskDesignFile(const std::string& path,
                                const std::vector<std::string>& taskColumns, FileSystem& files);
// The fileName of the matrix readTaskDesignFile reads: convertedFileName of a ".tsv", the path
// itself of any other file.
std::string taskDesignNameOf(const std::string& path);

}  // namespace duv
