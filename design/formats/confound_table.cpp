#include <utility>

#include "design/confound_file.h"
#include "design/confound_table_format.h"
#include "design/design_format.h"

namespace duv {
namespace {

ReadDesign readTable(std::string_view text, const std::string& path, const ConfoundOptions& options,
                     FileSystem&) {
  auto input = confoundsOfTable(text, path, options);
  return {std::move(input.matrix), std::move(input.zeroedColumns), std::move(input.leftOutColumns)};
}

}  // namespace

// The confound tables of preprocessing pipelines: the chosen columns become confounds.
const DesignFormat kConfoundTableFormat{
    .name = "confound table",
    .extensions = tsv::kExtensions,
    .read = readTable,
    .confounds = true,
};

}  // namespace duv
