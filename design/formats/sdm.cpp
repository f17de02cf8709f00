#include "design/design_format.h"
#include "design/sdm_format.h"
#include "design/sdm_reader.h"
#include "design/sdm_writer.h"

namespace duv {
namespace {

ReadDesign readDesignMatrix(std::string_view text, const std::string& path, const ConfoundOptions&,
                            FileSystem&) {
  return {readSdm(text, path), {}};
}

}  // namespace

// The host's own design matrices: read as they are, and what the merges write.
const DesignFormat kSdmFormat{
    .name = "SDM",
    .extensions = sdm::kExtensions,
    .read = readDesignMatrix,
    .write = writeSdm,
    .keepsPath = true,
};

}  // namespace duv
