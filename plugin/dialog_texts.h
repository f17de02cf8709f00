#pragma once

// The texts the plug-in exchanges with the host and its dialog script: parameter names, dialog
// titles and filters, and the plug-in's own log literals. The script and the host's users know
// them word for word, so they are fixed.

namespace duv::dialog {

// Dialog parameters.
inline constexpr const char* kTaskParameter = "task";
inline constexpr const char* kPrimaryParameter = "sdm1";
inline constexpr const char* kSecondaryParameter = "sdms2";
inline constexpr const char* kZTransformParameter = "ztans";
inline constexpr const char* kBaselineParameter = "baseline";
inline constexpr const char* kAllCorrelationsParameter = "allcorr";
inline constexpr const char* kChosenFileParameter = "sdmfile";

// File dialogs.
inline constexpr const char* kSaveResultTitle = "Choose a name for saving the resulting SDM";
inline constexpr const char* kSdmFilter = "Design Matrix (*.sdm)";
inline constexpr const char* kOpenSdmTitle = "Select an SDM";
inline constexpr const char* kOpenSdmOrRtcTitle = "Select an SDM or RTC:";
inline constexpr const char* kSdmOrRtcFilter = "Design Matrix (*.sdm *.rtc)";

// Log literals of the plug-in's life cycle.
inline constexpr const char* kRunningLog = ">  Running...";
inline constexpr const char* kFinishedLog = ">  Plugin finished!\n";

}  // namespace duv::dialog
