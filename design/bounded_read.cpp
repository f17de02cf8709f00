#include "design/bounded_read.h"

#include <stdexcept>

namespace duv {
namespace {

std::string sizeText(std::uint64_t bytes) {
  constexpr std::uint64_t kMiB = std::uint64_t{1} << 20;
  if (bytes % kMiB == 0) return std::to_string(bytes / kMiB) + " MiB";
  return std::to_string(bytes) + " bytes";
}

}  // namespace

std::string readBoundedFile(FileSystem& files, const std::string& path, std::uint64_t limit) {
  const auto status = files.status(path);
  if (status.kind == FileKind::other) {
    throw std::runtime_error(path + ": not a regular file (a device, a pipe or a socket)");
  }
  if (status.kind == FileKind::file && status.size > limit) {
    throw std::runtime_error(path + ": " + std::to_string(status.size) +
                             " bytes, above the limit of " + sizeText(limit));
  }
  auto text = files.readFile(path);
  // The file may have grown since it was looked at.
  if (text.size() > limit) {
    throw std::runtime_error(path + ": " + std::to_string(text.size()) +
                             " bytes, above the limit of " + sizeText(limit));
  }
  return text;
}

}  // namespace duv
