#pragma once

// The files a run will write, known from the arguments alone, so that a run that would write
// one file twice, or over one of its inputs, is refused before anything is read or written.

#include <optional>
#include <string>
#include <vector>

namespace duv::cli {

// The name a secondary input has as a design matrix: a time-course or confound file's with
// ".sdm".
std::string matrixNameOf(const std::string& inputPath);

// The result names the merge dialog would suggest, in result order.
std::vector<std::string> suggestedMergeAllNames(const std::string& primary,
                                                const std::vector<std::string>& secondaries);
std::string suggestedMergeSecondaryName(const std::vector<std::string>& secondaries);

// The report and table written beside a saved matrix.
std::string reportPathOf(const std::string& matrixPath);
std::string tablePathOf(const std::string& matrixPath);

// Throws std::runtime_error naming both paths when two outputs are the same file, or an output
// is the same file as an input (compared after resolving ".", ".." and links).
void checkOutputs(const std::vector<std::string>& outputs, const std::vector<std::string>& inputs);

}  // namespace duv::cli
