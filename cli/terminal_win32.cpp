#include <io.h>

#include <cstdio>

#include "cli/terminal.h"

namespace duv::cli {

bool standardErrorIsTerminal() { return _isatty(_fileno(stderr)) != 0; }

void makeBrokenPipesWriteErrors() {}

}  // namespace duv::cli
