#pragma once

#include <stdexcept>
#include <string>

namespace duv {

// Common base of the file errors. Never thrown by itself.
class IOError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// An input file could not be opened for reading. The message is "Failed opening for reading: "
// followed directly by the path as the caller passed it.
class OpenFileError : public IOError {
 public:
  explicit OpenFileError(const std::string& path);
};

}  // namespace duv
