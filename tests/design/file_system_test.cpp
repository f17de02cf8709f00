#include "design/file_system.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

#include "design/errors.h"
#include "tests/support/expect_error.h"
#include "tests/support/temp_dir.h"

namespace duv {
namespace {

using testing::expectError;
namespace fs = std::filesystem;

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

TEST(RealFileSystemTest, StatusTellsKindSizeAndTimeSinceTheUnixEpoch) {
  testing::TempDir dir;
  auto& files = realFileSystem();
  const auto path = dir.file("a.txt");
  testing::writeText(path, "12345");

  // Just written: within a day of the system clock's now.
  const auto fresh = files.status(path);
  EXPECT_EQ(fresh.kind, FileKind::file);
  EXPECT_EQ(fresh.size, 5u);
  const std::int64_t now = std::chrono::duration_cast<std::chrono::nanoseconds>(
                               std::chrono::system_clock::now().time_since_epoch())
                               .count();
  constexpr std::int64_t kDay = 86'400'000'000'000;
  EXPECT_GT(fresh.modifiedNs, now - kDay);
  EXPECT_LT(fresh.modifiedNs, now + kDay);

  // A time set exactly reads back exactly: 2020-01-01 00:00:00 UTC.
  const std::chrono::sys_seconds newYear{std::chrono::seconds{1'577'836'800}};
  fs::last_write_time(path, std::chrono::file_clock::from_sys(newYear));
  EXPECT_EQ(files.status(path).modifiedNs, 1'577'836'800'000'000'000);

  EXPECT_EQ(files.status(dir.path().string()).kind, FileKind::folder);
  for (const auto& missing : {dir.file("none"), dir.file("a.txt/below"), std::string()}) {
    const auto status = files.status(missing);
    EXPECT_EQ(status.kind, FileKind::missing) << missing;
    EXPECT_EQ(status.size, 0u);
    EXPECT_EQ(status.modifiedNs, 0);
  }
}

TEST(RealFileSystemTest, ListsAFolderWithKindsAndLinks) {
  testing::TempDir dir;
  auto& files = realFileSystem();
  testing::writeText(dir.file("a.txt"), "a");
  files.createFolders(dir.file("sub/deeper"));
  files.createFolders(dir.file("sub/deeper"));  // already there: nothing to do
  EXPECT_EQ(files.status(dir.file("sub/deeper")).kind, FileKind::folder);
  fs::create_directory_symlink(dir.path() / "sub", dir.path() / "to-sub");
  fs::create_symlink(dir.path() / "gone", dir.path() / "to-nothing");

  auto entries = files.listFolder(dir.path().string());
  std::sort(entries.begin(), entries.end(),
            [](const FolderEntry& a, const FolderEntry& b) { return a.name < b.name; });
  ASSERT_EQ(entries.size(), 4u);
  const struct {
    std::string name;
    FileKind kind;
    bool link;
  } expected[] = {{"a.txt", FileKind::file, false},
                  {"sub", FileKind::folder, false},
                  {"to-nothing", FileKind::missing, true},
                  {"to-sub", FileKind::folder, true}};
  for (std::size_t i = 0; i < entries.size(); ++i) {
    EXPECT_EQ(entries[i].name, expected[i].name);
    EXPECT_EQ(entries[i].kind, expected[i].kind) << entries[i].name;
    EXPECT_EQ(entries[i].link, expected[i].link) << entries[i].name;
  }
  expectError<FolderListingError>(
      [&] { files.listFolder(dir.file("none")); },
      "Cannot list folder: " + dir.file("none") + " (No such file or directory)");
  EXPECT_THROW(files.createFolders(dir.file("a.txt/below")), std::runtime_error);
}

// Every spelling of one file, relative or absolute, through a link or not, gives one path.
TEST(RealFileSystemTest, CanonicalPathsAreOnePerFile) {
  testing::TempDir dir;
  auto& files = realFileSystem();
  testing::writeText(dir.file("a.txt"), "a");
  fs::create_directories(dir.path() / "sub");
  fs::create_directory_symlink(dir.path() / "sub", dir.path() / "to-sub");
  const auto canonical = fs::canonical(dir.path() / "a.txt").generic_string();
  const auto relative = fs::relative(dir.path(), fs::current_path()).generic_string();
  for (const auto& spelling : {dir.file("a.txt"), dir.file("sub/../a.txt"),
                               dir.file("./to-sub/../a.txt"), relative + "/a.txt"}) {
    EXPECT_EQ(files.canonicalPath(spelling), canonical) << spelling;
  }
  // A file not there yet: the folder that is there resolved, the rest added.
  EXPECT_EQ(files.canonicalPath(dir.file("to-sub/new/../b.txt")),
            fs::canonical(dir.path() / "sub").generic_string() + "/b.txt");
  EXPECT_EQ(files.absolutePath("x/../y"), (fs::current_path() / "x/../y").string());
}

}  // namespace
}  // namespace duv
