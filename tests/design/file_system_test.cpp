#include "design/file_system.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <ostream>

#include "design/errors.h"
#include "tests/support/expect_error.h"
#include "tests/support/temp_dir.h"

namespace duv {
namespace {

using testing::expectError;

TEST(RealFileSystemTest, ReadsBytesAsStored) {
  testing::TempDir dir;
  testing::writeText(dir.file("a.txt"), std::string("x\r\ny\0z", 6));
  EXPECT_EQ(realFileSystem().readFile(dir.file("a.txt")), std::string("x\r\ny\0z", 6));
}

TEST(RealFileSystemTest, UnopenableInputsAreOpenErrors) {
  testing::TempDir dir;
  for (const auto& path : {dir.file("missing"), dir.path().string(), std::string()}) {
    expectError<OpenFileError>([&] { realFileSystem().readFile(path); },
                               "Failed opening for reading: " + path);
  }
}

TEST(RealFileSystemTest, AnUncommittedFileLeavesTheTargetAsItWas) {
  testing::TempDir dir;
  const auto target = dir.file("t.txt");
  testing::writeText(target, "old");
  {
    auto file = realFileSystem().createFile(target);
    file->stream() << "new";
  }
  EXPECT_EQ(testing::readText(target), "old");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()),
                          std::filesystem::directory_iterator()),
            1);
}

TEST(RealFileSystemTest, WriteFileDiscardsOnAnErrorAndPassesItOn) {
  testing::TempDir dir;
  const auto target = dir.file("t.txt");
  EXPECT_THROW(writeFile(realFileSystem(), target,
                         [](std::ostream& out) {
                           out << "partial";
                           throw std::runtime_error("stop");
                         }),
               std::runtime_error);
  EXPECT_FALSE(std::filesystem::exists(target));
  writeFile(realFileSystem(), target, [](std::ostream& out) { out << "whole\n"; });
  EXPECT_EQ(testing::readText(target), "whole\n");
}

}  // namespace
}  // namespace duv
