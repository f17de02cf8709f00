#pragma once

// The formats a result can be exported in besides its SDM file (--export), each one or more
// design formats written beside it (design_format.h). Only the command-line tool links these:
// the SPM format needs libmatio, which the plug-in must not depend on.

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "design/design_format.h"

namespace duv {

// The packages' confound files (package_format.h). kSpmFormat has no writer in a build made
// without libmatio.
extern const DesignFormat kSpmFormat;
extern const DesignFormat kFslFormat;
extern const DesignFormat kAfniFormat;

struct ExportFormat {
  std::string_view name;  // as --export names it
  std::span<const DesignFormat* const> files;
};

// Every export, in the order the help lists them: tsv, spm, fsl, afni.
std::span<const ExportFormat> exportFormats();

// The exports named by "FORMAT[,FORMAT...]", in the order of the list, each once. Throws
// std::invalid_argument 'unknown export format "<name>": the formats are tsv, spm, fsl and
// afni' for a name that is none of them, "--export: no format named" for an empty list, and
// '--export <name>: not available in this build (made without libmatio)' for an export whose
// files this build cannot write.
std::vector<const ExportFormat*> parseExportFormats(std::string_view text);

// The names of `exports` joined by ",", as --export takes them ("" for none).
std::string exportNames(const std::vector<const ExportFormat*>& exports);

// What a result is saved in: its SDM file first, then every file of every export, in order.
std::vector<const DesignFormat*> savedFormats(const std::vector<const ExportFormat*>& exports);

}  // namespace duv
