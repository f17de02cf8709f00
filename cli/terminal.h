#pragma once

namespace duv::cli {

// Whether standard error is shown on a terminal (progress lines are shown only then).
bool standardErrorIsTerminal();

}  // namespace duv::cli
