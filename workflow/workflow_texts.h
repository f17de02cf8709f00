#pragma once

// The texts the workflows give their front ends: log literals (a front end puts its own form
// around them, e.g. the plug-in's display name in front) and messages. Users, scripts and the
// host's log know them word for word, so they are fixed.

namespace duv::texts {

// Log literals and their arguments.
inline constexpr const char* kStartMergingLog = ">  Start merging process of ";
inline constexpr const char* kMergeAllArgument = "primary with every secondary sdm";
inline constexpr const char* kMergeSecondaryArgument = "all secondary sdms";
inline constexpr const char* kSavedLog = ">  Saved ";
inline constexpr const char* kSavedCorrelationsLog = ">  Saved Correlatios to ";
inline constexpr const char* kZeroedLog = ">  Set leading n/a to 0 in: ";
inline constexpr const char* kFlaggedLog = ">  Flagged ";
inline constexpr const char* kLeftOutLog = ">  Left out of outliers: ";
inline constexpr const char* kScaledLog = ">  Scaled ";
inline constexpr const char* kWarningLog = ">  Warning: ";

// Messages.
inline constexpr const char* kNoSecondaries = "No secondary SDMs available";
inline constexpr const char* kNotEnoughSecondaries = "Not enough secondary SDMs available";
inline constexpr const char* kNoMotionForSpikes =
    "spike columns are asked for, and no input holds head motion (a motion design, a .par, "
    ".txt or .1D file, or a confound table)";
inline constexpr const char* kDataPointMismatch =
    " does not have the same number of data points as ";

}  // namespace duv::texts
