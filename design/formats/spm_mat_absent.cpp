#include "design/design_format.h"
#include "design/export_formats.h"
#include "design/package_format.h"

namespace duv {

// A build without the MAT-file library (the Windows cross build): the SPM export is named, so
// that asking for it says it is missing here, but never written.
const DesignFormat kSpmFormat{
    .name = "SPM regressors",
    .extensions = package_format::kSpmExtensions,
    .suffix = package_format::kSpmSuffix,
};

}  // namespace duv
