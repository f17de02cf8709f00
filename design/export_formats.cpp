#include "design/export_formats.h"

#include <algorithm>
#include <stdexcept>

#include "design/text.h"

namespace duv {
namespace {

const DesignFormat* const kTsvFiles[] = {&kTsvDesignFormat, &kTsvSidecarFormat};
const DesignFormat* const kSpmFiles[] = {&kSpmFormat};
const DesignFormat* const kFslFiles[] = {&kFslFormat};
const DesignFormat* const kAfniFiles[] = {&kAfniFormat};

const ExportFormat kExports[] = {
    {"tsv", kTsvFiles},
    {"spm", kSpmFiles},
    {"fsl", kFslFiles},
    {"afni", kAfniFiles},
};

std::string knownNames() {
  std::vector<std::string> names;
  for (const auto& format : kExports) names.emplace_back(format.name);
  const auto last = names.back();
  names.pop_back();
  return joined(names, ", ") + " and " + last;
}

const ExportFormat& exportNamed(const std::string& name) {
  for (const auto& format : kExports) {
    if (format.name == name) return format;
  }
  throw std::invalid_argument("unknown export format \"" + name + "\": the formats are " +
                              knownNames());
}

}  // namespace

std::span<const ExportFormat> exportFormats() { return kExports; }

std::vector<const ExportFormat*> parseExportFormats(std::string_view text) {
  std::vector<const ExportFormat*> exports;
  for (const auto& name : splitLines(text, ',')) {
    const auto& format = exportNamed(name);
    for (const auto* file : format.files) {
      if (file->write == nullptr) {
        throw std::invalid_argument("--export " + name +
                                    ": not available in this build (made without libmatio)");
      }
    }
    if (std::find(exports.begin(), exports.end(), &format) == exports.end()) {
      exports.push_back(&format);
    }
  }
  if (exports.empty()) throw std::invalid_argument("--export: no format named");
  return exports;
}

std::string exportNames(const std::vector<const ExportFormat*>& exports) {
  std::vector<std::string> names;
  names.reserve(exports.size());
  for (const auto* format : exports) names.emplace_back(format->name);
  return joined(names, ",");
}

std::vector<const DesignFormat*> savedFormats(const std::vector<const ExportFormat*>& exports) {
  std::vector<const DesignFormat*> formats{&kSdmFormat};
  for (const auto* format : exports) {
    formats.insert(formats.end(), format->files.begin(), format->files.end());
  }
  return formats;
}

}  // namespace duv
