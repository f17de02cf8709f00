#include <unistd.h>

#include <csignal>

#include "cli/terminal.h"

namespace duv::cli {

bool standardErrorIsTerminal() { return isatty(STDERR_FILENO) != 0; }

void makeBrokenPipesWriteErrors() { std::signal(SIGPIPE, SIG_IGN); }

}  // namespace duv::cli
