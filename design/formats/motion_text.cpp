#include <utility>

#include "design/confound_file.h"
#include "design/design_format.h"
#include "design/motion_text_format.h"

namespace duv {
namespace {

ReadDesign readMotionColumns(std::string_view text, const std::string& path,
                             const ConfoundOptions& options, FileSystem&) {
  return {confoundsOfMotionText(text, path, options).matrix, {}};
}

}  // namespace

// The motion text files of realignment tools: every column becomes a confound.
const DesignFormat kMotionTextFormat{
    .name = "motion text",
    .extensions = motion_text::kExtensions,
    .read = readMotionColumns,
    .confounds = true,
};

}  // namespace duv
