#pragma once

// Interrupting a program in the middle of a save, as a user or a scheduler does, at a known
// point: the tool holds its saves when DUVENDAL_HOLD_SAVES is set (cli/held_saves.h).

#include <filesystem>
#include <string>
#include <vector>

namespace duv::testing {

// Writes a design of 60 predictors and 40 data points, its values drawn with `seed`.
void writeRandomDesign(const std::string& path, unsigned seed);

// Whether `folder` holds the temporary file of a save (".tmp-" in its name).
bool holdsTemporaryFile(const std::filesystem::path& folder);

struct InterruptedRun {
  bool interrupted = false;  // the signal was sent while a save was held
  int status = 0;            // as waitpid gives it
  std::string errors;        // what the program wrote to standard error
};

// Starts `command` (argument 0 the program's path) with its saves held, sends it `signal` as
// soon as it says that it holds a save (its temporary file complete, its target not yet
// replaced), and returns when the program has ended. A program that ends without holding a save
// is not interrupted.
InterruptedRun runInterruptedDuringSave(const std::vector<std::string>& command, int signal);

}  // namespace duv::testing
