#pragma once

// A design matrix as a TSV file with a JSON sidecar beside it, for analysis packages that read
// tables (pandas, nilearn) and for reading the design back with its split into task predictors,
// confounds and the constant.
//
//   run1.tsv                                                  run1.json
//   faces<TAB>houses<TAB>trans_x<TAB>Constant   <- names      {
//   0<TAB>1<TAB>0.0123<TAB>1                    <- one row      "DataPoints": 2,
//   1<TAB>0<TAB>-4.56e-07<TAB>1                    per point    "TaskColumns": ["faces", "houses"],
//                                                               "ConfoundColumns": ["trans_x"],
//                                                               "ConstantColumn": "Constant",
//                                                               "Colors": [[255, 0, 0], ...]
//                                                             }
//
// Values are the shortest decimal text that reads back as the same single-precision value
// (nothing is rounded away). The header is the task columns, then the confound columns, then
// the constant column when there is one: always the last. "ConstantColumn" is null without a
// constant; "Colors" (one red, green, blue triple per column, in header order) may be left out,
// and the columns are then coloured as converted confounds (255 255 255).

#include <string_view>

namespace duv::tsv_design {

inline constexpr std::string_view kExtensions[] = {"tsv"};
inline constexpr std::string_view kSidecarExtensions[] = {"json"};

inline constexpr std::string_view kDataPoints = "DataPoints";
inline constexpr std::string_view kTaskColumns = "TaskColumns";
inline constexpr std::string_view kConfoundColumns = "ConfoundColumns";
inline constexpr std::string_view kConstantColumn = "ConstantColumn";
inline constexpr std::string_view kColors = "Colors";

inline constexpr char kSeparator = '\t';

}  // namespace duv::tsv_design
