#include <windows.h>

#include "cli/interrupt.h"
#include "design/temporary_files.h"

namespace duv::cli {
namespace {

// The system calls this on a thread of its own. Windows cannot remove a file that is open, so
// the cleanup first waits for the saves in progress to close theirs; answering FALSE then lets
// the system's own handler end the process.
BOOL WINAPI onControl(DWORD event) {
  if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT) return FALSE;
  removeTemporaryFilesForExit(true);
  return FALSE;
}

}  // namespace

void removeTemporaryFilesWhenInterrupted() { SetConsoleCtrlHandler(onControl, TRUE); }

}  // namespace duv::cli
