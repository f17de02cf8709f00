#pragma once

#include <functional>
#include <string>
#include <utility>

namespace duv::cli {

// Makes an interrupt by the user (Ctrl-C, SIGTERM or SIGHUP; Ctrl-C and Ctrl-Break on Windows)
// remove the temporary files of unfinished saves (removeTemporaryFilesForExit) before the
// program ends as interrupted. Finished files stay; a target being replaced keeps its previous
// contents. Call once, first thing in main, before any other thread starts.
void removeTemporaryFilesWhenInterrupted();

// What an interrupt says before the program ends: `notice` is called on the thread that takes
// the interrupt, once the temporary files are removed, and its text is written to standard
// error as it is (nothing for ""). It replaces the notice set before; an empty function sets
// none (the default). The notice may be called at any time until it is replaced, from another
// thread: it must only read what stays valid and is safe to read there (atomics).
void sayWhenInterrupted(std::function<std::string()> notice);

// The text of the notice set now, "" when none: for the platform's interrupt handling.
std::string interruptNotice();

// Sets `notice` while it lives and none again when it ends, so that a notice reading the
// caller's state is never called once that state is gone.
class InterruptNotice {
 public:
  explicit InterruptNotice(std::function<std::string()> notice) {
    sayWhenInterrupted(std::move(notice));
  }
  ~InterruptNotice() { sayWhenInterrupted({}); }
  InterruptNotice(const InterruptNotice&) = delete;
  InterruptNotice& operator=(const InterruptNotice&) = delete;
};

}  // namespace duv::cli
