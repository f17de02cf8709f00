#pragma once

// The status of a checked design, and of a study's run: the worst counted warning level, or
// why there is none. Code works with the enum; the texts ("ok", "medium", ...) exist only at
// the edges: the writers, the pages, the run records and the tool's summary.

#include <optional>
#include <string_view>

#include "check/design_check.h"

namespace duv {

// Ordered by severity as far as `failed`: a study sorts its runs by it. `unreadable` is a file
// the check could not read; a study's run never has it.
enum class CheckStatus { ok, medium, high, error, failed, unreadable };

// "ok", "medium", "high", "error", "failed", "unreadable".
const char* statusName(CheckStatus status);

// The status of that name; nothing for a text that names none.
std::optional<CheckStatus> statusNamed(std::string_view name);

// ok without a level, else the level's status.
CheckStatus statusOfLevel(std::optional<CheckLevel> level);

// The warning level of medium, high and error; nothing for the others.
std::optional<CheckLevel> levelOfStatus(CheckStatus status);

}  // namespace duv
