#include "tests/support/memory_file_system.h"

#include <algorithm>
#include <ostream>
#include <sstream>
#include <stdexcept>
#include <streambuf>

#include "design/errors.h"
#include "design/paths.h"

namespace duv::testing {
namespace {

// A string buffer that fails every write once `limit` characters are stored, like a full disk.
class LimitedBuffer : public std::stringbuf {
 public:
  explicit LimitedBuffer(std::size_t limit) : limit_(limit) {}

 protected:
  std::streamsize xsputn(const char* text, std::streamsize count) override {
    const std::size_t room = limit_ - std::min(limit_, stored_);
    const std::size_t taken = std::min(room, static_cast<std::size_t>(count));
    stored_ += taken;
    std::stringbuf::xsputn(text, static_cast<std::streamsize>(taken));
    return static_cast<std::streamsize>(taken);
  }
  int_type overflow(int_type c) override {
    if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
    if (stored_ >= limit_) return traits_type::eof();
    ++stored_;
    return std::stringbuf::overflow(c);
  }

 private:
  std::size_t limit_;
  std::size_t stored_ = 0;
};

class MemoryOutputFile : public OutputFile {
 public:
  MemoryOutputFile(MemoryFileSystem& files, std::string target, std::string key,
                   std::optional<std::size_t> limit)
      : files_(files),
        target_(std::move(target)),
        key_(std::move(key)),
        buffer_(limit ? *limit : static_cast<std::size_t>(-1)),
        out_(&buffer_) {}
  std::ostream& stream() override { return out_; }
  void commit() override {
    out_.flush();
    if (!out_ || files_.uncommittable.count(key_) != 0) {
      throw IOError("Failed writing file: " + target_);
    }
    files_.files[key_] = buffer_.str();
    files_.modifiedNs[key_] = files_.clockNs;
    files_.clockNs += 1'000'000'000;
  }

 private:
  MemoryFileSystem& files_;
  std::string target_;
  std::string key_;
  LimitedBuffer buffer_;
  std::ostream out_;
};

// The folder holding `key`: "." (the current folder) for a relative name, "/" for the root's.
std::string parentOf(const std::string& key) {
  const auto slash = key.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return key.substr(0, slash);
}

bool isTop(const std::string& key) { return key == "." || key == "/" || key.empty(); }

}  // namespace

std::string MemoryFileSystem::keyOf(const std::string& path) const {
  auto key = normalPath(currentFolder.empty() ? path : joinPath(currentFolder, path));
  while (key.size() > 1 && key.back() == '/') key.pop_back();
  return key;
}

bool MemoryFileSystem::isFolder(const std::string& key) const {
  if (key.empty()) return false;
  if (isTop(key)) return true;
  if (folders.count(key) != 0) return true;
  const auto below = [&key](const std::string& other) {
    for (auto parent = parentOf(other); !isTop(parent); parent = parentOf(parent)) {
      if (parent == key) return true;
    }
    return false;
  };
  return std::any_of(files.begin(), files.end(),
                     [&](const auto& file) { return below(file.first); }) ||
         std::any_of(folders.begin(), folders.end(), below);
}

std::string MemoryFileSystem::readFile(const std::string& path) {
  const auto key = keyOf(path);
  const auto file = files.find(key);
  if (file == files.end() || unopenable.count(key) != 0) throw OpenFileError(path);
  if (unreadable.count(key) != 0) throw IOError("Failed reading file: " + path);
  return file->second;
}

std::unique_ptr<OutputFile> MemoryFileSystem::createFile(const std::string& target) {
  const auto key = keyOf(target);
  if (uncreatable.count(key) != 0 || isFolder(key)) {
    throw std::runtime_error("Cannot Create file: " + target);
  }
  const auto limit = writeLimit.find(key);
  return std::make_unique<MemoryOutputFile>(
      *this, target, key,
      limit == writeLimit.end() ? std::nullopt : std::optional<std::size_t>(limit->second));
}

FileStatus MemoryFileSystem::status(const std::string& path) {
  const auto key = keyOf(path);
  FileStatus status;
  if (const auto file = files.find(key); file != files.end()) {
    status.kind = FileKind::file;
    status.size = file->second.size();
    const auto modified = modifiedNs.find(key);
    status.modifiedNs = modified == modifiedNs.end() ? kPutNs : modified->second;
  } else if (isFolder(key)) {
    status.kind = FileKind::folder;
  }
  return status;
}

std::vector<FolderEntry> MemoryFileSystem::listFolder(const std::string& folder) {
  const auto key = keyOf(folder);
  if (unlistable.count(key) != 0) throw FolderListingError(folder, "Permission denied");
  if (files.count(key) != 0) throw FolderListingError(folder, "Not a directory");
  if (!isFolder(key)) throw FolderListingError(folder, "No such file or directory");
  std::map<std::string, FileKind> entries;
  const auto add = [&](const std::string& path, FileKind kind) {
    // `path` or the folder above it that lies directly in `key`.
    for (auto entry = path; !isTop(entry); entry = parentOf(entry)) {
      if (parentOf(entry) == key) {
        entries.emplace(fileNameOf(entry, PathStyle::native),
                        entry == path ? kind : FileKind::folder);
        return;
      }
    }
  };
  for (const auto& file : files) add(file.first, FileKind::file);
  for (const auto& other : folders) add(other, FileKind::folder);
  std::vector<FolderEntry> listing;
  for (const auto& [name, kind] : entries) listing.push_back({name, kind, false});
  return listing;
}

void MemoryFileSystem::createFolders(const std::string& folder) {
  const auto key = keyOf(folder);
  for (auto above = key; !isTop(above); above = parentOf(above)) {
    if (uncreatable.count(above) != 0 || files.count(above) != 0) {
      throw std::runtime_error("Cannot create folder: " + folder);
    }
  }
  folders.insert(key);
}

std::string MemoryFileSystem::absolutePath(const std::string& path) {
  if (currentFolder.empty() || isRootedPath(path)) return path;
  return joinPath(currentFolder, path);
}

std::string MemoryFileSystem::canonicalPath(const std::string& path) { return keyOf(path); }

std::optional<std::string> MemoryFileSystem::contents(const std::string& path) const {
  const auto file = files.find(keyOf(path));
  if (file == files.end()) return std::nullopt;
  return file->second;
}

}  // namespace duv::testing
