#pragma once

// Interrupting a program in the middle of a large save, as a user or a scheduler does.

#include <filesystem>
#include <string>
#include <vector>

namespace duv::testing {

// Writes a design of 60 predictors and 40,000 data points (about 25 MB of text), its values
// drawn with `seed`: large enough that saving a merge of two takes a while.
void writeLargeDesign(const std::string& path, unsigned seed);

// Whether `folder` holds the temporary file of a save (".tmp-" in its name).
bool holdsTemporaryFile(const std::filesystem::path& folder);

struct InterruptedRun {
  bool interrupted = false;  // the signal was sent while a temporary file was there
  int status = 0;            // as waitpid gives it
};

// Starts `command` (argument 0 the program's path) and sends it `signal` as soon as `folder`
// holds a temporary file; returns when the program has ended.
InterruptedRun runInterruptedDuringSave(const std::vector<std::string>& command,
                                        const std::filesystem::path& folder, int signal);

}  // namespace duv::testing
