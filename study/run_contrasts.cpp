#include "study/run_contrasts.h"

#include <algorithm>
#include <stdexcept>
#include <unordered_map>

#include "design/bounded_read.h"
#include "design/text.h"

namespace duv {

void checkContrastFields(const ContrastTable& table, const std::string& fileName,
                         const std::vector<std::string>& fields) {
  for (const auto& field : table.fields) {
    if (std::find(fields.begin(), fields.end(), field) != fields.end()) continue;
    throw std::runtime_error(fileName + ": column \"" + field +
                             "\" names no field of the study (it has " +
                             (fields.empty() ? "none" : joined(fields, ", ")) + ")");
  }
}

ContrastTable readStudyContrasts(const std::string& path, const std::vector<std::string>& fields,
                                 FileSystem& files) {
  auto table = readContrastTable(readBoundedFile(files, path, kContrastsLimit), path);
  checkContrastFields(table, path, fields);
  return table;
}

std::vector<Contrast> joinedContrasts(std::vector<Contrast> options, const ContrastTable& table) {
  auto contrasts = std::move(options);
  contrasts.insert(contrasts.end(), table.contrasts.begin(), table.contrasts.end());
  // By hash, so that files of many contrasts are checked in linear time.
  std::unordered_map<std::string, std::vector<std::size_t>> byName;
  for (std::size_t i = 0; i < contrasts.size(); ++i) {
    auto& earlier = byName[contrasts[i].name];
    for (const auto e : earlier) {
      if (applyToCommonRuns(contrasts[e], contrasts[i])) {
        throw std::runtime_error("contrast \"" + contrasts[i].name + "\" is asked for twice");
      }
    }
    earlier.push_back(i);
  }
  return contrasts;
}

std::vector<Contrast> contrastsOfRun(
    const std::vector<Contrast>& contrasts,
    const std::vector<std::pair<std::string, std::string>>& fields) {
  std::vector<Contrast> chosen;
  for (const auto& contrast : contrasts) {
    const bool applies =
        std::all_of(contrast.appliesTo.begin(), contrast.appliesTo.end(), [&](const auto& wanted) {
          return std::find(fields.begin(), fields.end(), wanted) != fields.end();
        });
    if (applies) chosen.push_back(contrast);
  }
  return chosen;
}

}  // namespace duv
