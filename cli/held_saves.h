#pragma once

namespace duv::cli {

// For tests that interrupt the tool in the middle of a save at a known point rather than by
// watching for its temporary file: when the environment variable DUVENDAL_HOLD_SAVES is set,
// every save stops once its temporary file is complete and closed, just before it replaces its
// target, writes the line "holding save: <temporary file>" to standard error and waits there
// until the program is interrupted. Without the variable, nothing changes. Call once, in main.
void holdSavesWhenAsked();

}  // namespace duv::cli
