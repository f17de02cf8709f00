#pragma once

// Files in memory for tests, with faults on demand.
//
// Every path is taken lexically normal and, when relative and `currentFolder` is set, below
// that folder: "run1.sdm" and "./a/../run1.sdm" are one file. The keys of `files` and of the
// faults are such paths. Folders are those in `folders` and every folder above a file or a
// folder; a file may be created in any folder. There are no links. One thread at a time.

#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <set>
#include <string>

#include "design/file_system.h"

namespace duv::testing {

class MemoryFileSystem : public FileSystem {
 public:
  std::map<std::string, std::string> files;  // committed contents by path
  std::set<std::string> folders;             // folders made, beside those files imply
  // The current folder, absolute ("/work"); "" leaves relative paths relative, as the keys.
  std::string currentFolder;
  // Modification times by path, nanoseconds since the Unix epoch. A commit stamps its file with
  // `clockNs` and advances it by a second; a file put in `files` directly has kPutNs.
  std::map<std::string, std::int64_t> modifiedNs;
  std::int64_t clockNs = 1'750'000'000'000'000'000;
  static constexpr std::int64_t kPutNs = 1'700'000'000'000'000'000;

  // Faults, by path: opening for reading fails; reading fails after opening; creating a file or
  // a folder fails; the stream fails once this many bytes are written; the commit fails;
  // listing the folder fails.
  std::set<std::string> unopenable;
  std::set<std::string> unreadable;
  std::set<std::string> uncreatable;
  std::map<std::string, std::size_t> writeLimit;
  std::set<std::string> uncommittable;
  std::set<std::string> unlistable;

  std::string readFile(const std::string& path) override;
  std::unique_ptr<OutputFile> createFile(const std::string& target) override;
  FileStatus status(const std::string& path) override;
  std::vector<FolderEntry> listFolder(const std::string& folder) override;
  void createFolders(const std::string& folder) override;
  std::string absolutePath(const std::string& path) override;
  std::string canonicalPath(const std::string& path) override;

  // The committed contents of `path`, or nothing.
  std::optional<std::string> contents(const std::string& path) const;

  // `path` as the key it is stored under.
  std::string keyOf(const std::string& path) const;

 private:
  bool isFolder(const std::string& key) const;
};

}  // namespace duv::testing
