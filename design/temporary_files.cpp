#include "design/temporary_files.h"

#include <condition_variable>
#include <cstdio>
#include <map>
#include <mutex>
#include <utility>

namespace duv {
namespace {

struct Registry {
  std::mutex mutex;
  std::condition_variable closed;
  std::map<std::string, bool> files;  // path -> open for writing
  bool cleaningUp = false;
};

// Never destroyed: at exit a thread may still be waiting in it.
Registry& registry() {
  static auto* files = new Registry;
  return *files;
}

// Once the cleanup has begun, the process is about to end: this thread waits for that.
void waitForeverIfCleaningUp(std::unique_lock<std::mutex>& lock) {
  auto& r = registry();
  while (r.cleaningUp) r.closed.wait(lock);
}

std::function<void(const std::string&)>& saveHold() {
  static auto* hold = new std::function<void(const std::string&)>;
  return *hold;
}

}  // namespace

void removeTemporaryFilesForExit(bool waitUntilClosed) {
  beginTemporaryFileCleanup();
  finishTemporaryFileCleanup(waitUntilClosed);
}

void beginTemporaryFileCleanup() {
  auto& r = registry();
  const std::lock_guard lock(r.mutex);
  r.cleaningUp = true;
}

void finishTemporaryFileCleanup(bool waitUntilClosed) {
  auto& r = registry();
  std::unique_lock lock(r.mutex);
  if (waitUntilClosed) {
    r.closed.wait(lock, [&r] {
      for (const auto& [path, open] : r.files) {
        if (open) return false;
      }
      return true;
    });
  }
  for (const auto& [path, open] : r.files) std::remove(path.c_str());
  r.files.clear();
}

void createTemporaryFile(const std::string& path, const std::function<bool()>& create) {
  auto& r = registry();
  std::unique_lock lock(r.mutex);
  waitForeverIfCleaningUp(lock);
  if (create()) r.files[path] = true;
}

void closeTemporaryFile(const std::string& path, const std::function<void()>& close) {
  auto& r = registry();
  std::unique_lock lock(r.mutex);
  close();
  const auto file = r.files.find(path);
  if (file != r.files.end()) file->second = false;
  r.closed.notify_all();
}

void retireTemporaryFile(const std::string& path, const std::function<bool()>& retire) {
  auto& r = registry();
  std::unique_lock lock(r.mutex);
  waitForeverIfCleaningUp(lock);
  if (retire()) r.files.erase(path);
}

void holdSavesBeforeReplacing(std::function<void(const std::string& temporaryPath)> hold) {
  saveHold() = std::move(hold);
}

void holdSaveBeforeReplacing(const std::string& temporaryPath) {
  if (saveHold()) saveHold()(temporaryPath);
}

}  // namespace duv
