#include <unistd.h>

#include "cli/terminal.h"

namespace duv::cli {

bool standardErrorIsTerminal() { return isatty(STDERR_FILENO) != 0; }

}  // namespace duv::cli
