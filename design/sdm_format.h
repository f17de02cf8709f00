#pragma once

// The SDM (design matrix) text format, shared by its reader and writer.
//
//   FileVersion:            1             <- header: "Key:" tokens, each followed by its value;
//                                            the value's column is kept as the field's width
//   NrOfPredictors:         3
//   NrOfDataPoints:         2
//   IncludesConstant:       1             <- 0 or 1
//   FirstConfoundPredictor: 3             <- 1-based; its value ends the header
//
//   255 0 0   0 255 0   255 255 255       <- one colour triple per predictor
//   "Task A" "Motion X" "Constant"        <- one quoted name per predictor (no escapes)
//     1.000000  -0.250000   1.000000      <- one row per data point, six decimals;
//     0.000000   0.500000   1.000000         fields begin two characters before their point
//
// Written: one blank before the first field, two before the others, one more before a value
// that is not negative; values widened to double and rounded to six decimals.

#include <cstdint>
#include <string_view>

namespace duv::sdm {

inline constexpr std::string_view kExtensions[] = {"sdm"};

inline constexpr std::string_view kFileVersion = "FileVersion";
inline constexpr std::string_view kNrOfPredictors = "NrOfPredictors";
inline constexpr std::string_view kNrOfDataPoints = "NrOfDataPoints";
inline constexpr std::string_view kIncludesConstant = "IncludesConstant";
inline constexpr std::string_view kFirstConfoundPredictor = "FirstConfoundPredictor";

// Width of the default header: one more than "FirstConfoundPredictor:".
inline constexpr std::int32_t kDefaultWidth = 24;
inline constexpr int kDecimals = 6;
inline constexpr std::string_view kNoName = "NoName";

// Counts beyond these are refused before anything is allocated for them.
inline constexpr std::int32_t kMaxPredictors = 100000;
inline constexpr std::int32_t kMaxDataPoints = 10000000;

}  // namespace duv::sdm
