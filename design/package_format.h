#pragma once

// The confound files of analysis packages that the exports write beside a result. Each holds
// the design's confounds alone (designColumnsOf: spike columns among them, the constant left
// out, since every package models the mean itself), one row per data point, every value the
// shortest text that reads back as the same float.
//
// SPM (<result>_spm.mat): a MAT-file (level 5) of two variables, as the "multiple regressors"
// option of SPM's fMRI model setup reads it:
//   R       data points x confounds, double
//   names   1 x confounds cell of character arrays
//
// FSL (<result>_fsl.txt): FEAT's confound EV file, values separated by one blank:
//   0.0123 -0.5 0
//   0.0119 -0.51 1
//
// AFNI (<result>_afni.1D): a 1D file with its column labels in the "#" header AFNI's tools
// write (the ColumnLabels separated by " ; "), then rows as FSL's, then the closing line:
//   # <matrix
//   #  ni_type = "2*double"
//   #  ni_dimen = "120"
//   #  ColumnLabels = "trans_x ; motion_outlier00"
//   # >
//    0.0123 0
//   # </matrix>

#include <string_view>

namespace duv::package_format {

inline constexpr std::string_view kSpmExtensions[] = {"mat"};
inline constexpr std::string_view kSpmSuffix = "_spm";
inline constexpr const char* kSpmRegressors = "R";
inline constexpr const char* kSpmNames = "names";

inline constexpr std::string_view kFslExtensions[] = {"txt"};
inline constexpr std::string_view kFslSuffix = "_fsl";

inline constexpr std::string_view kAfniExtensions[] = {"1D"};
inline constexpr std::string_view kAfniSuffix = "_afni";
inline constexpr std::string_view kAfniLabelSeparator = " ; ";

}  // namespace duv::package_format
