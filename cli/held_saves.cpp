#include "cli/held_saves.h"

#include <cstdlib>
#include <future>
#include <iostream>
#include <string>

#include "design/temporary_files.h"

namespace duv::cli {

void holdSavesWhenAsked() {
  if (std::getenv("DUVENDAL_HOLD_SAVES") == nullptr) return;
  holdSavesBeforeReplacing([](const std::string& temporaryPath) {
    std::cerr << "holding save: " << temporaryPath << std::endl;
    // A promise never kept: the save waits here until the interrupt ends the program.
    std::promise<void> never;
    never.get_future().wait();
  });
}

}  // namespace duv::cli
