#pragma once

// Files in memory for tests, with faults on demand.

#include <cstddef>
#include <map>
#include <optional>
#include <set>
#include <string>

#include "design/file_system.h"

namespace duv::testing {

class MemoryFileSystem : public FileSystem {
 public:
  std::map<std::string, std::string> files;  // committed contents by path

  // Faults, by path: opening for reading fails; reading fails after opening; creating fails;
  // the stream fails once this many bytes are written; the commit fails.
  std::set<std::string> unopenable;
  std::set<std::string> unreadable;
  std::set<std::string> uncreatable;
  std::map<std::string, std::size_t> writeLimit;
  std::set<std::string> uncommittable;

  std::string readFile(const std::string& path) override;
  std::unique_ptr<OutputFile> createFile(const std::string& target) override;

  // The committed contents of `path`, or nothing.
  std::optional<std::string> contents(const std::string& path) const;
};

}  // namespace duv::testing
