#pragma once

// The texts the dialog tasks exchange with the host and the user: parameter names, titles,
// filters, log literals and messages. Front ends match on them, so they are fixed.

namespace duv::texts {

// Dialog parameters.
inline constexpr const char* kTaskParameter = "task";
inline constexpr const char* kPrimaryParameter = "sdm1";
inline constexpr const char* kSecondaryParameter = "sdms2";
inline constexpr const char* kZTransformParameter = "ztans";
inline constexpr const char* kBaselineParameter = "baseline";
inline constexpr const char* kAllCorrelationsParameter = "allcorr";
inline constexpr const char* kChosenFileParameter = "sdmfile";

// Save dialog of a merge result.
inline constexpr const char* kSaveResultTitle = "Choose a name for saving the resulting SDM";
inline constexpr const char* kSdmFilter = "Design Matrix (*.sdm)";

// Log literals (the host's form puts the plug-in's name in front) and their arguments.
inline constexpr const char* kRunningLog = ">  Running...";
inline constexpr const char* kFinishedLog = ">  Plugin finished!\n";
inline constexpr const char* kStartMergingLog = ">  Start merging process of ";
inline constexpr const char* kMergeAllArgument = "primary with every secondary sdm";
inline constexpr const char* kMergeSecondaryArgument = "all secondary sdms";
inline constexpr const char* kSavedLog = ">  Saved ";
inline constexpr const char* kSavedCorrelationsLog = ">  Saved Correlatios to ";

// Messages.
inline constexpr const char* kNoSecondaries = "No secondary SDMs available";
inline constexpr const char* kNotEnoughSecondaries = "Not enough secondary SDMs available";
inline constexpr const char* kDataPointMismatch =
    " does not have the same number of data points as ";

}  // namespace duv::texts
