#pragma once

// The one place where readers and writers reach the disk, so that tests can put files in
// memory and make opening, reading, writing and closing fail on demand.

#include <functional>
#include <iosfwd>
#include <memory>
#include <string>

namespace duv {

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
  // existing target that is not a writable file), before anything is written.
  virtual std::unique_ptr<OutputFile> createFile(const std::string& target) = 0;
};

// The disk. Output goes to a temporary file beside the target (through a symbolic link, beside
// the file it points to) that is renamed over it on commit, keeping an existing target's
// permission bits; devices and pipes are written directly. Files are written in text mode.
FileSystem& realFileSystem();

// Creates `target`, lets `writeContents` write to it and commits it. An exception from
// `writeContents` discards the file and passes on; a stream that failed while writing is
// IOError "Failed writing file: " + target.
void writeFile(FileSystem& files, const std::string& target,
               const std::function<void(std::ostream&)>& writeContents);

}  // namespace duv
