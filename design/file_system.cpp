#include "design/file_system.h"

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iomanip>
#include <ostream>
#include <random>
#include <sstream>
#include <stdexcept>
#include <system_error>

#include "design/errors.h"
#include "design/temporary_files.h"

namespace duv {
namespace fs = std::filesystem;

namespace {

std::runtime_error cannotCreate(const std::string& target) {
  return std::runtime_error("Cannot Create file: " + target);
}

IOError failedWriting(const std::string& target) {
  return IOError("Failed writing file: " + target);
}

std::runtime_error cannotCreate(const std::string& target, const std::string& why) {
  return std::runtime_error("Cannot Create file: " + target + " (" + why + ")");
}

// Why an existing output that is not a regular file is not written, in the error's words. A
// link is never followed: a link planted among the outputs would otherwise let a save replace
// a file anywhere its user may write. Devices, pipes and sockets are not written either: a
// write to them cannot be made whole by a rename, and opening a pipe waits for a reader.
std::string refusalOf(const fs::file_status& status) {
  switch (status.type()) {
    case fs::file_type::symlink:
      return "a symbolic link: links are not written through";
    case fs::file_type::block:
    case fs::file_type::character:
      return "a device: only regular files are written";
    case fs::file_type::fifo:
      return "a pipe: only regular files are written";
    case fs::file_type::socket:
      return "a socket: only regular files are written";
    default:
      return "not a regular file";
  }
}

// Whether an existing file may be written, asked of the system itself (an open for update
// that changes nothing), so that every platform's own rules decide.
bool isWritable(const fs::path& path) {
  std::FILE* file = std::fopen(path.string().c_str(), "r+b");
  if (file == nullptr) return false;
  std::fclose(file);
  return true;
}

// "<target>.tmp-<16 hex digits>". Each thread draws from its own generator: saves may run on
// several threads at once.
std::string temporaryNameBeside(const fs::path& target) {
  thread_local std::mt19937_64 generator{std::random_device{}()};
  std::ostringstream name;
  name << target.string() << ".tmp-" << std::hex << std::setw(16) << std::setfill('0')
       << generator();
  return name.str();
}

// Writes a temporary file beside the target and renames it over the target on commit. Each
// step on the temporary file is one that an interrupted program's cleanup sees whole
// (temporary_files.h).
class ReplacingOutputFile final : public OutputFile {
 public:
  ReplacingOutputFile(std::string target, fs::path path)
      : target_(std::move(target)), path_(std::move(path)), temporary_(temporaryNameBeside(path_)) {
    createTemporaryFile(temporary_, [this] {
      out_.open(fs::path(temporary_), std::ios::out | std::ios::trunc);
      return out_.is_open();
    });
    if (!out_.is_open()) throw cannotCreate(target_);
  }
  ~ReplacingOutputFile() override {
    if (committed_) return;
    closeTemporaryFile(temporary_, [this] { out_.close(); });
    retireTemporaryFile(temporary_, [this] {
      std::error_code error;
      fs::remove(fs::path(temporary_), error);
      return !error;
    });
  }
  ReplacingOutputFile(const ReplacingOutputFile&) = delete;
  ReplacingOutputFile& operator=(const ReplacingOutputFile&) = delete;

  std::ostream& stream() override { return out_; }

  void commit() override {
    out_.flush();
    const bool written = static_cast<bool>(out_);
    closeTemporaryFile(temporary_, [this] { out_.close(); });
    if (!written || out_.fail()) throw failedWriting(target_);
    std::error_code error;
    const fs::path temporary = fs::path(temporary_);
    // The target as it is now, not what a link put there since would point to.
    const auto existing = fs::symlink_status(path_, error);
    if (!error && fs::is_regular_file(existing)) {
      fs::permissions(temporary, existing.permissions(), fs::perm_options::replace, error);
      if (error) throw failedWriting(target_);
    }
    holdSaveBeforeReplacing(temporary_);
    retireTemporaryFile(temporary_, [&] {
      fs::rename(temporary, path_, error);
      return !error;
    });
    if (error) throw failedWriting(target_);
    committed_ = true;
  }

 private:
  std::string target_;
  fs::path path_;
  std::string temporary_;
  std::ofstream out_;
  bool committed_ = false;
};

FileKind kindOf(const fs::file_status& status) {
  switch (status.type()) {
    case fs::file_type::none:
      return FileKind::unknown;
    case fs::file_type::not_found:
      return FileKind::missing;
    case fs::file_type::regular:
      return FileKind::file;
    case fs::file_type::directory:
      return FileKind::folder;
    default:
      return FileKind::other;
  }
}

// The file clock's epoch is its own (on some systems far from 1970): times go through the
// system clock, whose epoch is the Unix one.
std::int64_t nanosecondsSinceUnixEpoch(fs::file_time_type time) {
  const auto systemTime = std::chrono::file_clock::to_sys(time);
  return std::chrono::duration_cast<std::chrono::nanoseconds>(systemTime.time_since_epoch())
      .count();
}

class RealFileSystem final : public FileSystem {
 public:
  std::string readFile(const std::string& path) override {
    std::error_code error;
    const fs::path file = fs::path(path);
    if (path.empty() || fs::is_directory(file, error)) throw OpenFileError(path);
    std::ifstream in(file, std::ios::in | std::ios::binary);
    if (!in.is_open()) throw OpenFileError(path);
    std::string contents;
    // One allocation for a file whose size is known (the text is read whole); the chunks take
    // whatever follows, and all of a stream whose size is not known.
    const auto size = fs::file_size(file, error);
    if (!error && size > 0) {
      contents.resize(static_cast<std::size_t>(size));
      in.read(contents.data(), static_cast<std::streamsize>(size));
      contents.resize(static_cast<std::size_t>(in.gcount()));
    }
    char chunk[1 << 16];
    while (in && (in.read(chunk, sizeof chunk) || in.gcount() > 0)) {
      contents.append(chunk, static_cast<std::size_t>(in.gcount()));
    }
    if (in.bad()) throw IOError("Failed reading file: " + path);
    return contents;
  }

  std::unique_ptr<OutputFile> createFile(const std::string& target) override {
    if (target.empty()) throw cannotCreate(target);
    const fs::path path = fs::path(target);
    std::error_code error;
    const auto status = fs::symlink_status(path, error);
    if (!error && fs::exists(status)) {
      if (fs::is_directory(status)) throw cannotCreate(target);
      if (!fs::is_regular_file(status)) throw cannotCreate(target, refusalOf(status));
      if (!isWritable(path)) throw cannotCreate(target);
    }
    return std::make_unique<ReplacingOutputFile>(target, path);
  }

  FileStatus status(const std::string& path) override {
    FileStatus status;
    std::error_code error;
    const fs::path file = fs::path(path);
    status.kind = kindOf(fs::status(file, error));
    if (status.kind == FileKind::unknown) status.reason = error.message();
    if (status.kind != FileKind::file) return status;
    // A file that changes or goes between these looks is looked at again by the next status.
    const auto size = fs::file_size(file, error);
    if (error) return status;
    const auto modified = fs::last_write_time(file, error);
    if (error) return status;
    status.size = size;
    status.modifiedNs = nanosecondsSinceUnixEpoch(modified);
    return status;
  }

  std::vector<FolderEntry> listFolder(const std::string& folder) override {
    std::vector<FolderEntry> entries;
    std::error_code error;
    fs::directory_iterator entry(fs::path(folder), error);
    for (; !error && entry != fs::directory_iterator(); entry.increment(error)) {
      std::error_code ignored;  // what cannot be looked at is of unknown kind
      const auto status = entry->status(ignored);
      entries.push_back(
          {entry->path().filename().string(), kindOf(status), entry->is_symlink(ignored)});
    }
    if (error) throw FolderListingError(folder, error.message());
    return entries;
  }

  void createFolders(const std::string& folder) override { fs::create_directories(folder); }

  std::string absolutePath(const std::string& path) override {
    std::error_code error;
    const auto absolute = fs::absolute(fs::path(path), error);
    if (error) throw IOError(path + ": cannot be made absolute (" + error.message() + ")");
    return absolute.string();
  }

  std::string canonicalPath(const std::string& path) override {
    std::error_code error;
    const auto canonical = fs::weakly_canonical(fs::path(path), error);
    if (!error) return canonical.generic_string();
    return fs::path(absolutePath(path)).lexically_normal().generic_string();
  }
};

}  // namespace

FolderListingError::FolderListingError(const std::string& folder, const std::string& reason)
    : IOError("Cannot list folder: " + folder + " (" + reason + ")"), reason_(reason) {}

FileSystem& realFileSystem() {
  static RealFileSystem disk;
  return disk;
}

void writeFile(FileSystem& files, const std::string& target,
               const std::function<void(std::ostream&)>& writeContents) {
  auto file = files.createFile(target);
  writeContents(file->stream());
  if (!file->stream()) throw failedWriting(target);
  file->commit();
}

}  // namespace duv
