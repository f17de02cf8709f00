#pragma once

#include <filesystem>
#include <string>

namespace duv::testing {

// A fresh folder for one test, removed with everything in it when the object goes.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::filesystem::path& path() const { return path_; }
  // The path of `name` inside the folder, as text.
  std::string file(const std::string& name) const;

 private:
  std::filesystem::path path_;
};

// Whole-file helpers for tests on the disk.
std::string readText(const std::string& path);
void writeText(const std::string& path, const std::string& contents);

// The project's source folder, for the bundled examples.
std::string sourceDir();

}  // namespace duv::testing
