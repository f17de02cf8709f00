#pragma once

namespace duv::cli {

// Makes an interrupt by the user (Ctrl-C, SIGTERM or SIGHUP; Ctrl-C and Ctrl-Break on Windows)
// remove the temporary files of unfinished saves (removeTemporaryFilesForExit) before the
// program ends as interrupted. Finished files stay; a target being replaced keeps its previous
// contents. Call once, first thing in main, before any other thread starts.
void removeTemporaryFilesWhenInterrupted();

}  // namespace duv::cli
