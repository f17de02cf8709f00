#include "cli/output_plan.h"

#include <filesystem>
#include <map>
#include <stdexcept>
#include <system_error>

namespace duv::cli {
namespace {

namespace fs = std::filesystem;

// One spelling per file: absolute, with ".", ".." and every link that exists resolved.
std::string identityOf(const std::string& path) {
  std::error_code error;
  auto absolute = fs::absolute(fs::path(path), error);
  if (error) return path;
  auto resolved = fs::weakly_canonical(absolute, error);
  return (error ? absolute.lexically_normal() : resolved).string();
}

}  // namespace

void checkOutputs(const std::vector<std::string>& outputs, const std::vector<std::string>& inputs) {
  std::map<std::string, std::string> seen;  // identity -> path as given
  for (const auto& input : inputs) seen.emplace(identityOf(input), input);
  std::map<std::string, std::string> inputIdentities = seen;
  for (const auto& output : outputs) {
    const auto identity = identityOf(output);
    const auto [earlier, isNew] = seen.emplace(identity, output);
    if (isNew) continue;
    if (inputIdentities.count(identity) != 0) {
      throw std::runtime_error("the output " + output + " would overwrite the input " +
                               earlier->second);
    }
    throw std::runtime_error("the outputs " + earlier->second + " and " + output +
                             " would be the same file");
  }
}

}  // namespace duv::cli
