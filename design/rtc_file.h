#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "design/design_matrix.h"
#include "design/header_field.h"

namespace duv {

class FileSystem;

namespace rtc {
inline constexpr std::string_view kExtensions[] = {"rtc"};
}

// One read RTC (reference time-course) file: a column of values per course, one row per data
// point. Used only to build a DesignMatrix.
//
// Two layouts are read. Keyed:
//   FileVersion:     2
//   Type:            DesignMatrix        <- text entry, optionally quoted
//   NrOfPredictors:  2
//   NrOfDataPoints:  3                   <- ends the header
//                                        <- blank line(s)
//   "a" "b"                              <- names line (optional)
//   0.1 0.2                              <- NrOfDataPoints x NrOfPredictors numbers,
//   ...                                     separated by white space
// Older:
//   NrOfRTCs: 2                          <- number of courses
//   NrOfDataPoints: 4                    <- any token, then the number of data points
//   ...                                  <- skipped up to the first line starting a number
//   0.1 0.2
// Courses of the older layout are all named after the file (no directory, no extension).
struct RtcFile {
  // Reads the file at `path` from the disk. Throws OpenFileError when it cannot be opened and
  // errors naming the file when its contents cannot be read.
  explicit RtcFile(const std::string& path);
  RtcFile() = default;

  std::string fileName;
  IntHeaderField fileVersion;
  TextHeaderField type;
  IntHeaderField nrOfPredictors;
  IntHeaderField nrOfDataPoints;
  std::vector<std::string> predictorNames;
  std::vector<std::vector<float>> values;  // values[p][t]
};

// Reads RTC text up to the view's end; `name` is the path used for fileName, course names and
// messages.
RtcFile readRtc(std::string_view text, const std::string& name);
// The read file as a design matrix: all its courses become confounds (firstConfoundPredictor 1)
// coloured 255 255 255, and fileName is its path with the extension replaced by ".sdm".
DesignMatrix designOfRtc(RtcFile rtc);

// readRtc of the file's contents, `path` as the name; FileSystem::readFile's errors pass on.
RtcFile readRtcFile(const std::string& path, FileSystem& files);

}  // namespace duv
