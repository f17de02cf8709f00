#pragma once

// The confound table that preprocessing pipelines write beside each run: tab-separated text,
// a header row of column names, then one row per volume.
//
//   global_signal<TAB>global_signal_derivative1<TAB>...<TAB>trans_x<TAB>...   <- line 1: names
//   512.31<TAB>n/a<TAB>...<TAB>0<TAB>...                                      <- one row per volume
//   511.98<TAB>-0.33<TAB>...<TAB>0.0124<TAB>...
//
// Every row has one cell per name, separated by tabs (never commas). A cell is a decimal number
// or "n/a" (no value: the first rows of differences, which have no preceding volume, and of
// measures a pipeline starts later). Variants of a column are named after
// it with the suffixes below: "trans_x_derivative1" (backward difference), "trans_x_power2"
// (square), "trans_x_derivative1_power2" (square of the difference).

#include <string_view>

namespace duv::tsv {

inline constexpr std::string_view kExtensions[] = {"tsv"};

inline constexpr char kSeparator = '\t';
inline constexpr std::string_view kNotAvailable = "n/a";

inline constexpr std::string_view kDerivativeSuffix = "_derivative1";
inline constexpr std::string_view kPowerSuffix = "_power2";

// In every column the leading "n/a" cells, those before its first number, become 0: pipelines
// leave the first rows of differences (framewise_displacement, dvars, std_dvars, rmsd,
// "*_derivative1") and of other measures without a value. An "n/a" after a column's first number
// is an error.
inline constexpr std::string_view kFramewiseDisplacement = "framewise_displacement";

// What a comma-separated file is taken for: a header row without a tab that holds a comma.
inline constexpr char kCommaSeparator = ',';

}  // namespace duv::tsv
