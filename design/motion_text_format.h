#pragma once

// Plain text motion and regressor files (".txt", ".par", ".1D"), as realignment tools write
// them: no header, one line per volume, numbers separated by blanks or tabs.
//
//   # rotations (rad), translations (mm)      <- comment: first non-blank character '#'
//   -0.000393  0.000213  -2.4e-05  0.0121  -0.0457  0.0923
//   -0.000412  0.000198  -1.9e-05  0.0134  -0.0449  0.0917
//
// Comment lines and blank lines are not rows. Every row has as many numbers as the first. A
// column is named after the file: "<file name without extension>_<column counted from 1>".

#include <string_view>

namespace duv::motion_text {

inline constexpr std::string_view kExtensions[] = {"txt", "par", "1D"};

inline constexpr char kComment = '#';

}  // namespace duv::motion_text
