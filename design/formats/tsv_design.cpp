#include "design/tsv_design.h"
#include "design/design_format.h"
#include "design/file_system.h"
#include "design/tsv_design_format.h"

namespace duv {
namespace {

ReadDesign readWithSidecar(std::string_view text, const std::string& path, const ConfoundOptions&,
                           FileSystem& files) {
  const auto sidecar = sidecarPathOf(path);
  return {readTsvDesign(text, path, files.readFile(sidecar), sidecar), {}};
}

}  // namespace

// Designs of other tools and of the exports, told from confound tables by their sidecar:
// registered before the confound tables, which take every other ".tsv".
const DesignFormat kTsvDesignFormat{
    .name = "TSV design",
    .extensions = tsv_design::kExtensions,
    .recognizes = hasSidecar,
    .read = readWithSidecar,
    .write = writeTsvDesign,
};

const DesignFormat kTsvSidecarFormat{
    .name = "TSV sidecar",
    .extensions = tsv_design::kSidecarExtensions,
    .write = writeTsvSidecar,
};

}  // namespace duv
