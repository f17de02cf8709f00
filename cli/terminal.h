#pragma once

namespace duv::cli {

// Whether standard error is shown on a terminal (progress lines are shown only then).
bool standardErrorIsTerminal();

// Makes a write to a pipe whose reader has gone a failed write, which the tool reports, rather
// than a signal that ends it silently (POSIX's SIGPIPE; Windows has none). Call once, in main.
void makeBrokenPipesWriteErrors();

}  // namespace duv::cli
