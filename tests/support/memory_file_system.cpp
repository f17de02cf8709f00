#include "tests/support/memory_file_system.h"

#include <ostream>
#include <sstream>
#include <stdexcept>
#include <streambuf>

#include "design/errors.h"

namespace duv::testing {
namespace {

// A string buffer that fails every write once `limit` characters are stored, like a full disk.
class LimitedBuffer : public std::stringbuf {
 public:
  explicit LimitedBuffer(std::size_t limit) : limit_(limit) {}

 protected:
  std::streamsize xsputn(const char* text, std::streamsize count) override {
    // The room stays unsigned: without a limit it exceeds what std::streamsize can hold.
    const std::size_t room = limit_ - std::min(limit_, stored_);
    const auto taken =
        static_cast<std::streamsize>(std::min(room, static_cast<std::size_t>(count)));
    stored_ += static_cast<std::size_t>(taken);
    std::stringbuf::xsputn(text, taken);
    return taken;
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
  MemoryOutputFile(MemoryFileSystem& files, std::string target, std::optional<std::size_t> limit)
      : files_(files),
        target_(std::move(target)),
        buffer_(limit ? *limit : static_cast<std::size_t>(-1)),
        out_(&buffer_) {}
  std::ostream& stream() override { return out_; }
  void commit() override {
    out_.flush();
    if (!out_ || files_.uncommittable.count(target_) != 0) {
      throw IOError("Failed writing file: " + target_);
    }
    files_.files[target_] = buffer_.str();
  }

 private:
  MemoryFileSystem& files_;
  std::string target_;
  LimitedBuffer buffer_;
  std::ostream out_;
};

}  // namespace

std::string MemoryFileSystem::readFile(const std::string& path) {
  const auto file = files.find(path);
  if (file == files.end() || unopenable.count(path) != 0) throw OpenFileError(path);
  if (unreadable.count(path) != 0) throw IOError("Failed reading file: " + path);
  return file->second;
}

std::unique_ptr<OutputFile> MemoryFileSystem::createFile(const std::string& target) {
  if (uncreatable.count(target) != 0) throw std::runtime_error("Cannot Create file: " + target);
  const auto limit = writeLimit.find(target);
  return std::make_unique<MemoryOutputFile>(
      *this, target,
      limit == writeLimit.end() ? std::nullopt : std::optional<std::size_t>(limit->second));
}

std::optional<std::string> MemoryFileSystem::contents(const std::string& path) const {
  const auto file = files.find(path);
  if (file == files.end()) return std::nullopt;
  return file->second;
}

}  // namespace duv::testing
