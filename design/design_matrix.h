#pragma once

#include <cstdint>
#include <iosfwd>
#include <string>
#include <string_view>
#include <vector>

#include "design/header_field.h"

namespace duv {

class FileSystem;
struct RtcFile;

// One design matrix: a table of nrOfDataPoints rows (data points) by nrOfPredictors columns
// (predictors), a name and a colour per predictor, and the five header entries of its file.
//
// A plain value type: copies are deep and share nothing. Members are read and changed directly.
//
// Predictors at 0-based positions below firstConfoundPredictor.value - 1 are main predictors,
// the others confounds; firstConfoundPredictor.value == nrOfPredictors.value + 1 means there are
// no confounds.
//
// Invariants kept by the readers and by every operation that adds or removes predictors:
//   colorRed, colorGreen, colorBlue, predictorNames and values have nrOfPredictors.value entries;
//   every values[p] has nrOfDataPoints.value entries.
struct DesignMatrix;

// The fileName of a matrix converted from a file of another format (a time-course file, a
// confound file of another tool): that file's path with its extension replaced by ".sdm".
std::string convertedFileName(std::string_view path);

struct DesignMatrix {
  // An empty matrix with the default header: all five entries present, width 24 (so written
  // values start in column 24), FileVersion 1, every other value 0 or false.
  DesignMatrix();

  // Reads the SDM file at `path` from the disk. Throws OpenFileError when it cannot be opened
  // and std::exception-derived errors naming the file when its contents cannot be read.
  explicit DesignMatrix(const std::string& path);

  // Converts a read time-course file: all its courses become confounds (firstConfoundPredictor 1)
  // coloured 255 255 255, and fileName is its path with the extension replaced by ".sdm".
  explicit DesignMatrix(RtcFile rtc);

  // Writes the matrix as SDM text. Leaves `out` in fixed notation with precision 6.
  // Throws IOError when the stream fails.
  void write(std::ostream& out) const;

  // Replaces the file named by fileName with the SDM text, atomically: a temporary file beside
  // it is renamed over it only when completely written. Throws std::runtime_error
  // "Cannot Create file: " + fileName when it cannot be created, and an error naming fileName
  // when writing fails (the previous file, if any, is then left as it was).
  void save() const;
  void save(FileSystem& files) const;

  // Sets fileName to `path` (also when saving then fails), then saves.
  void saveAs(const std::string& path);
  void saveAs(const std::string& path, FileSystem& files);

  std::string fileName;
  IntHeaderField fileVersion;
  IntHeaderField nrOfPredictors;
  IntHeaderField nrOfDataPoints;
  BoolHeaderField includesConstant;
  IntHeaderField firstConfoundPredictor;
  std::vector<std::int32_t> colorRed;
  std::vector<std::int32_t> colorGreen;
  std::vector<std::int32_t> colorBlue;
  std::vector<std::string> predictorNames;  // "NoName" where the file gave none
  std::vector<std::vector<float>> values;   // values[p][t]: predictor p at data point t
};

// The matrix as it reads back from the SDM text that write() gives it: every value rounded to
// the six decimals written (a value that is not a number is left as it is), and
// firstConfoundPredictor lowered to nrOfPredictors + 1 where it lies above, as the reader
// lowers it. For describing a file that is being saved without reading it again.
DesignMatrix asReadBack(DesignMatrix matrix);

}  // namespace duv
