#include "design/design_format.h"

#include <algorithm>
#include <stdexcept>

#include "design/file_system.h"
#include "design/paths.h"
#include "design/text.h"

namespace duv {
namespace {

// The formats, one line each. Formats sharing an extension are asked in this order; the order
// also lists the extensions in the refusal of an unknown one.
// clang-format off
const DesignFormat* const kFormats[] = {
    &kSdmFormat,
    &kRtcFormat,
    &kTsvDesignFormat,
    &kConfoundTableFormat,
    &kMotionTextFormat,
};
// clang-format on

std::string extensionOf(std::string_view path, const DesignFormat& format) {
  for (const auto extension : format.extensions) {
    if (hasExtension(path, extension)) return std::string(extension);
  }
  return {};
}

// ".sdm, .rtc, .tsv, .txt, .par or .1D"
std::string readExtensions() {
  std::vector<std::string> extensions;
  for (const auto* format : kFormats) {
    if (format->read == nullptr) continue;
    for (const auto extension : format->extensions) {
      const auto named = "." + std::string(extension);
      if (std::find(extensions.begin(), extensions.end(), named) == extensions.end()) {
        extensions.push_back(named);
      }
    }
  }
  if (extensions.size() < 2) return joined(extensions, "");
  const auto last = extensions.back();
  extensions.pop_back();
  return joined(extensions, ", ") + " or " + last;
}

}  // namespace

std::span<const DesignFormat* const> designFormats() { return kFormats; }

bool hasExtensionOf(std::string_view path, const DesignFormat& format) {
  return !extensionOf(path, format).empty();
}

const DesignFormat* findDesignFormat(const std::string& path,
                                     std::span<const DesignFormat* const> formats,
                                     std::string_view reader, FileSystem& files) {
  std::vector<const DesignFormat*> candidates;
  for (const auto* format : formats) {
    if (format->read != nullptr && hasExtensionOf(path, *format)) candidates.push_back(format);
  }
  if (candidates.empty()) return nullptr;
  // A file is looked at only when its extension leaves a question, and only as far as the
  // recognizers asked need.
  std::vector<std::string> names;
  for (const auto* format : candidates) {
    if (format->recognizes == nullptr || format->recognizes(path, files)) return format;
    names.emplace_back(format->name);
  }
  throw std::runtime_error(path + ": a ." + extensionOf(path, *candidates.front()) +
                           " file of none of the formats " + std::string(reader) + " reads (" +
                           joined(names, ", ") + ")");
}

const DesignFormat& designFormatOf(const std::string& path, std::string_view reader,
                                   FileSystem& files) {
  const auto* format = findDesignFormat(path, kFormats, reader, files);
  if (format == nullptr) {
    throw std::runtime_error(path + " is not a file " + std::string(reader) +
                             " reads: " + readExtensions());
  }
  return *format;
}

ReadDesign readDesign(const std::string& path, const DesignFormat& format,
                      const ConfoundOptions& options, FileSystem& files) {
  return format.read(files.readFile(path), path, options, files);
}

std::string pathInFormat(std::string_view path, const DesignFormat& format) {
  return replaceExtension(path,
                          std::string(format.suffix) + "." + std::string(format.extensions[0]));
}

void saveDesign(const DesignMatrix& design, const std::string& path, const DesignFormat& format,
                FileSystem& files) {
  if (format.write == nullptr) {
    throw std::invalid_argument(std::string(format.name) + " designs are not written");
  }
  writeFile(files, path, [&](std::ostream& out) { format.write(design, out); });
}

void saveDesign(const DesignMatrix& design, const std::string& path, const DesignFormat& format) {
  saveDesign(design, path, format, realFileSystem());
}

}  // namespace duv
