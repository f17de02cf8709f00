#pragma once

// The information strings the library exports; the display name also opens every log message.

namespace duv {

inline constexpr char pluginName[] = "Duvendal";
inline constexpr char pluginDescription[] =
    "Offers 2 ways to efficiently merge SDMs and also check the correlations between the "
    "predictors.";
inline constexpr char pluginVersion[] = "1.0";
inline constexpr char pluginHelpFile[] = "HelpFolder/index.html";
inline constexpr char pluginGuiScript[] = "Duvendal.js";
inline constexpr char pluginAuthor[] = "<i>The Duvendal developers</i>";

}  // namespace duv
