#pragma once

// Refusing, before anything is read or written, a run that would write one file twice or over
// one of its inputs.

#include <string>
#include <vector>

namespace duv::cli {

// Throws std::runtime_error naming both paths when two outputs are the same file, or an output
// is the same file as an input (compared after resolving ".", ".." and links).
void checkOutputs(const std::vector<std::string>& outputs, const std::vector<std::string>& inputs);

}  // namespace duv::cli
