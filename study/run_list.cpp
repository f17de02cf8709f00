#include "study/run_list.h"

#include <map>
#include <stdexcept>

#include "design/text.h"

namespace duv {

std::vector<RunPlan> keepListedRuns(std::vector<RunPlan> runs, const std::string& listPath,
                                    FileSystem& files) {
  std::map<std::string, std::size_t> runOf;  // canonical primary -> index in runs
  for (std::size_t i = 0; i < runs.size(); ++i) runOf[files.canonicalPath(runs[i].primary)] = i;

  const auto text = files.readFile(listPath);
  std::map<std::size_t, std::size_t> lineOf;  // index in runs -> its line in the list
  std::size_t number = 0;
  for (const auto& line : splitLines(text, '\n')) {
    ++number;
    if (line.empty()) continue;
    const auto context = listPath + ", line " + std::to_string(number) + ": '" + line + "' ";
    const auto run = runOf.find(files.canonicalPath(line));
    if (run == runOf.end()) {
      throw std::runtime_error(context + "is not the primary of a run of the study");
    }
    const auto [first, added] = lineOf.emplace(run->second, number);
    if (!added) {
      throw std::runtime_error(context + "is listed again (first on line " +
                               std::to_string(first->second) + ")");
    }
  }
  if (lineOf.empty()) throw std::runtime_error(listPath + ": no run listed");
  std::vector<RunPlan> kept;
  kept.reserve(lineOf.size());
  for (const auto& [index, line] : lineOf) kept.push_back(std::move(runs[index]));
  return kept;
}

}  // namespace duv
