#include <windows.h>

#include <cstdio>

#include "cli/interrupt.h"
#include "design/temporary_files.h"

namespace duv::cli {
namespace {

// The system calls this on a thread of its own. Windows cannot remove a file that is open, so
// the cleanup first waits for the saves in progress to close theirs; after the notice,
// answering FALSE lets the system's own handler end the process.
BOOL WINAPI onControl(DWORD event) {
  if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT) return FALSE;
  removeTemporaryFilesForExit(true);
  const auto notice = interruptNotice();
  std::fputs(notice.c_str(), stderr);
  std::fflush(stderr);
  return FALSE;
}

}  // namespace

void removeTemporaryFilesWhenInterrupted() { SetConsoleCtrlHandler(onControl, TRUE); }

}  // namespace duv::cli
