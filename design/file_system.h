#pragma once

// The one place where readers, writers and the study reach the disk, so that tests can put
// files in memory and make opening, reading, writing, closing and listing fail on demand.

#include <cstdint>
#include <functional>
#include <iosfwd>
#include <memory>
#include <string>
#include <vector>

#include "design/errors.h"

namespace duv {

// What a path names, symbolic links followed.
enum class FileKind {
  missing,  // nothing, or a link to nothing
  file,     // a regular file
  folder,
  other,    // a device, a pipe, a socket
  unknown,  // it cannot be looked at (a folder on the way may not be searched)
};

struct FileStatus {
  FileKind kind = FileKind::missing;
  std::uint64_t size = 0;       // bytes, of a file; 0 for anything else
  std::int64_t modifiedNs = 0;  // of a file: its last change, nanoseconds since 1970-01-01 UTC
  std::string reason;           // of an unknown kind: why, in the system's words
};

struct FolderEntry {
  std::string name;                   // its file name
  FileKind kind = FileKind::missing;  // links followed
  bool link = false;                  // a symbolic link (to anything, or to nothing)
};

// A folder could not be listed. The message is
// "Cannot list folder: <folder> (<reason>)", the reason in the system's words.
class FolderListingError : public IOError {
 public:
  FolderListingError(const std::string& folder, const std::string& reason);
  const std::string& reason() const { return reason_; }

 private:
  std::string reason_;
};

// A file being written. Its text becomes the target's contents only through commit(); a file
// destroyed without commit is discarded and the target left as it was.
class OutputFile {
 public:
  virtual ~OutputFile() = default;
  virtual std::ostream& stream() = 0;
  // Flushes and closes the file and puts it in place of the target. Throws IOError
  // "Failed writing file: " + target when any of that fails; the target is then unchanged.
  virtual void commit() = 0;
};

class FileSystem {
 public:
  virtual ~FileSystem() = default;

  // The file's whole contents, bytes as stored. Throws OpenFileError when the file cannot be
  // opened (missing, a directory, not readable) and IOError naming the path when reading fails.
  virtual std::string readFile(const std::string& path) = 0;

  // Starts writing a new version of `target`. Throws std::runtime_error
  // "Cannot Create file: " + target when it cannot be created there (missing directory, an
  // existing target that is a folder or a file that may not be written), before anything is
  // written. An existing target that is a symbolic link (to anything or to nothing), a device,
  // a pipe or a socket is refused so too, the message ending in why, as in
  // "Cannot Create file: out/run1.sdm (a symbolic link: links are not written through)".
  virtual std::unique_ptr<OutputFile> createFile(const std::string& target) = 0;

  // What is at `path` now. Never throws for what the path names or fails to name: that is the
  // kind (unknown, with the reason, when it cannot be looked at).
  virtual FileStatus status(const std::string& path) = 0;

  // The entries of the folder `folder` ("." for the current one), in no particular order,
  // without "." and "..". Throws FolderListingError when it cannot be listed: missing, not a
  // folder, not readable.
  virtual std::vector<FolderEntry> listFolder(const std::string& folder) = 0;

  // Makes the folder `folder` and those above it that are missing; nothing when it is there.
  // Throws std::runtime_error naming the folder when one cannot be made.
  virtual void createFolders(const std::string& folder) = 0;

  // `path` made absolute against the current folder, lexically: links are not followed and
  // "." and ".." stay. Throws IOError when the current folder cannot be told.
  virtual std::string absolutePath(const std::string& path) = 0;

  // The one path of the file `path` names, whichever way it is written: absolute, links
  // resolved, lexically normal, "/" between components. For a path that does not (yet) lead to
  // anything, the part that exists is resolved and the rest added lexically; a path that cannot
  // be looked at at all is only made absolute and lexically normal.
  virtual std::string canonicalPath(const std::string& path) = 0;
};

// The disk. Output goes to a temporary file beside the target that is renamed over it on commit,
// keeping an existing target's permission bits; only regular files are written. A symbolic link
// in the target's place is refused rather than followed or replaced: following it would write
// wherever it points, outside the output's folder, and replacing it would silently turn the
// user's link into a file. Folders on the way to the target may be links. Files are written in
// text mode.
FileSystem& realFileSystem();

// Creates `target`, lets `writeContents` write to it and commits it. An exception from
// `writeContents` discards the file and passes on; a stream that failed while writing is
// IOError "Failed writing file: " + target.
void writeFile(FileSystem& files, const std::string& target,
               const std::function<void(std::ostream&)>& writeContents);

}  // namespace duv
