#include "check/check_reasons.h"

namespace duv {

std::vector<std::string> reasonsOf(const CheckedFile& file, const CheckRun& run) {
  if (file.readError) return {*file.readError};
  std::vector<std::string> reasons;
  const auto addAt = [&](CheckLevel level) {
    if (file.motion && levelOf(*file.motion) == level) {
      reasons.push_back(motionWarningText(*file.motion, run.motion));
    }
    for (const auto& contrast : file.contrasts) {
      if (contrast.level == level) reasons.push_back(contrastWarningText(file.check, contrast));
    }
    for (const auto& warning : file.check.warnings) {
      if (warning.counted && warning.level == level) {
        reasons.push_back(warningText(file.design, file.check, warning));
      }
    }
  };
  addAt(CheckLevel::error);
  addAt(CheckLevel::high);
  addAt(CheckLevel::medium);
  return reasons;
}

}  // namespace duv
