#pragma once

// Confound files of other tools as design matrices: confound tables (".tsv") and motion text
// files (".txt", ".par", ".1D"). Only the command-line tool reads them; the dialog's merge
// reads SDM and RTC files alone.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "design/confound_selection.h"
#include "design/design_matrix.h"

namespace duv {

class FileSystem;

struct ConfoundOptions {
  std::vector<ConfoundSelector> selection;  // the columns taken from a table, in order
  std::size_t skipVolumes = 0;              // rows dropped first, from tables and text files
  std::size_t skipLastVolumes = 0;          // rows dropped at the end, from both as well
  bool derivatives = false;                 // text files: add the backward differences
  bool squares = false;                     // text files: add the squares
};

// By the extensions of kConfoundTableFormat and kMotionTextFormat (design_format.h).
bool isConfoundTable(std::string_view path);  // ".tsv"
bool isMotionText(std::string_view path);     // ".txt", ".par", ".1D"
bool isConfoundFile(std::string_view path);   // either

struct ConfoundInput {
  // All predictors confounds (firstConfoundPredictor 1), coloured 255 255 255, as a converted
  // time-course file; fileName is the path with its extension replaced by ".sdm".
  DesignMatrix matrix;
  // The columns in which leading "n/a" cells became 0, in predictor order (tables only).
  std::vector<std::string> zeroedColumns;
  // The columns the outliers preset left out (leaveOutEmptyAndRepeatedOutliers), tables only.
  std::vector<LeftOutColumn> leftOutColumns;
};

// Reads a confound file by its extension. A table: its first skipVolumes and last
// skipLastVolumes rows dropped (skipRows), the
// columns of `selection` taken (selectConfounds) and the "n/a" rule applied to them
// (zeroLeadingNotAvailable), then the outliers preset's empty and repeated columns left out
// (leaveOutEmptyAndRepeatedOutliers). A text file: its rows dropped as a table's, then the
// variants asked for added (expandMotion); `selection` does not apply. Throws the errors of
// those steps and of the readers (confound_table.h, motion_text.h), and OpenFileError when the
// file cannot be opened; a path that is neither kind is std::invalid_argument.
ConfoundInput readConfoundFile(const std::string& path, const ConfoundOptions& options,
                               FileSystem& files);
// The two kinds of readConfounds, whatever the path's extension.
ConfoundInput confoundsOfTable(std::string_view text, const std::string& path,
                               const ConfoundOptions& options);
ConfoundInput confoundsOfMotionText(std::string_view text, const std::string& path,
                                    const ConfoundOptions& options);
ConfoundInput readConfounds(std::string_view text, const std::string& path,
                            const ConfoundOptions& options);

}  // namespace duv
