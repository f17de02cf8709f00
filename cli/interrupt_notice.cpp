#include <mutex>
#include <utility>

#include "cli/interrupt.h"

namespace duv::cli {
namespace {

std::mutex& noticeMutex() {
  static std::mutex mutex;
  return mutex;
}

std::function<std::string()>& currentNotice() {
  static std::function<std::string()> notice;
  return notice;
}

}  // namespace

void sayWhenInterrupted(std::function<std::string()> notice) {
  const std::lock_guard lock(noticeMutex());
  currentNotice() = std::move(notice);
}

std::string interruptNotice() {
  // Held while the notice is called, so that it is not replaced (and its state left) meanwhile.
  const std::lock_guard lock(noticeMutex());
  return currentNotice() ? currentNotice()() : std::string();
}

}  // namespace duv::cli
