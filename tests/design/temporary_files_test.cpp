// The cleanup of an interrupted program: the temporary files of unfinished saves are removed,
// whole targets stay. Each case runs in a child process, which the cleanup leaves only fit to
// end.

#include "design/temporary_files.h"

#include <gtest/gtest.h>

#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <ostream>
#include <set>
#include <string>
#include <thread>

#include "design/file_system.h"
#include "tests/support/temp_dir.h"

namespace duv {
namespace {

namespace fs = std::filesystem;

// The names in `folder`, sorted and joined by blanks.
std::string namesIn(const fs::path& folder) {
  std::set<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder)) {
    names.insert(entry.path().filename().string());
  }
  std::string joined;
  for (const auto& name : names) joined += (joined.empty() ? "" : " ") + name;
  return joined;
}

bool isTemporary(const std::string& name) { return name.find(".tmp-") != std::string::npos; }

// Ends the child with 0 when `folder` holds exactly `expected`, else prints what it holds.
[[noreturn]] void exitHolding(const fs::path& folder, const std::string& expected) {
  const auto names = namesIn(folder);
  if (names != expected) {
    std::fprintf(stderr, "folder holds: %s\n", names.c_str());
    std::_Exit(1);
  }
  std::_Exit(0);
}

TEST(TemporaryFilesDeathTest, TheCleanupRemovesUnfinishedSavesAndKeepsFinishedOnes) {
  testing::TempDir dir;
  testing::writeText(dir.file("kept.sdm"), "previous");
  EXPECT_EXIT(
      {
        auto& files = realFileSystem();
        writeFile(files, dir.file("done.sdm"), [](std::ostream& out) { out << "whole"; });
        auto unfinished = files.createFile(dir.file("kept.sdm"));
        unfinished->stream() << "half of it" << std::flush;
        auto another = files.createFile(dir.file("new.sdm"));
        if (!isTemporary(namesIn(dir.path()))) std::_Exit(2);
        removeTemporaryFilesForExit(false);
        exitHolding(dir.path(), "done.sdm kept.sdm");
      },
      ::testing::ExitedWithCode(0), "");
  EXPECT_EQ(testing::readText(dir.file("kept.sdm")), "previous");
}

// Where an open file cannot be removed, the cleanup waits for the save in progress to close its
// file; that save, open when the cleanup began, then never puts it in the target's place. (The
// save may close its file before the cleanup starts waiting or after: the outcome is the same.)
TEST(TemporaryFilesDeathTest, TheCleanupCanWaitForOpenFilesToClose) {
  testing::TempDir dir;
  EXPECT_EXIT(
      {
        std::mutex mutex;
        std::condition_variable changed;
        bool isOpen = false;
        bool cleanupBegun = false;
        std::thread save([&] {
          auto file = realFileSystem().createFile(dir.file("result.sdm"));
          file->stream() << "values";
          std::unique_lock lock(mutex);
          isOpen = true;
          changed.notify_all();
          changed.wait(lock, [&] { return cleanupBegun; });
          lock.unlock();
          file->commit();  // closes, then waits for the end
        });
        {
          std::unique_lock lock(mutex);
          changed.wait(lock, [&] { return isOpen; });
          beginTemporaryFileCleanup();
          cleanupBegun = true;
        }
        changed.notify_all();
        finishTemporaryFileCleanup(true);
        save.detach();
        exitHolding(dir.path(), "");
      },
      ::testing::ExitedWithCode(0), "");
}

}  // namespace
}  // namespace duv
