#include "study/run_record_search.h"

#include <algorithm>
#include <filesystem>
#include <stdexcept>
#include <string_view>
#include <system_error>

#include "design/file_system.h"
#include "study/run_record_file.h"
#include "study/run_record_format.h"

namespace duv {
namespace {

namespace fs = std::filesystem;

bool isDigit(char c) { return c >= '0' && c <= '9'; }

// Text order with runs of digits compared by their value, and of equal values the one with fewer
// leading zeros first; only equal texts are equal in it.
int compareNatural(std::string_view a, std::string_view b) {
  std::size_t i = 0;
  std::size_t j = 0;
  while (i < a.size() && j < b.size()) {
    if (!isDigit(a[i]) || !isDigit(b[j])) {
      if (a[i] != b[j]) {
        return static_cast<unsigned char>(a[i]) < static_cast<unsigned char>(b[j]) ? -1 : 1;
      }
      ++i;
      ++j;
      continue;
    }
    const auto digitsEnd = [](std::string_view text, std::size_t from) {
      while (from < text.size() && isDigit(text[from])) ++from;
      return from;
    };
    const auto significantFrom = [](std::string_view text, std::size_t from, std::size_t end) {
      while (from + 1 < end && text[from] == '0') ++from;
      return from;
    };
    const std::size_t endA = digitsEnd(a, i);
    const std::size_t endB = digitsEnd(b, j);
    const auto numberA = a.substr(significantFrom(a, i, endA), endA - significantFrom(a, i, endA));
    const auto numberB = b.substr(significantFrom(b, j, endB), endB - significantFrom(b, j, endB));
    if (numberA.size() != numberB.size()) return numberA.size() < numberB.size() ? -1 : 1;
    if (const int order = numberA.compare(numberB); order != 0) return order < 0 ? -1 : 1;
    if (endA - i != endB - j) return endA - i < endB - j ? -1 : 1;
    i = endA;
    j = endB;
  }
  if (i < a.size() || j < b.size()) return i < a.size() ? 1 : -1;
  return 0;
}

bool runBefore(const RunRecord& a, const RunRecord& b) {
  const std::size_t shared = std::min(a.fields.size(), b.fields.size());
  for (std::size_t f = 0; f < shared; ++f) {
    if (const int order = compareNatural(a.fields[f].second, b.fields[f].second); order != 0) {
      return order < 0;
    }
  }
  if (a.fields.size() != b.fields.size()) return a.fields.size() < b.fields.size();
  return compareNatural(a.name, b.name) < 0;
}

bool isRecordFile(const fs::path& path) {
  const std::string name = path.filename().string();
  const std::string_view suffix = run_record_format::kFileSuffix;
  return name.size() > suffix.size() && name.ends_with(suffix);
}

// The record files in `folder` and below, and the folders that cannot be listed.
void collect(const fs::path& folder, std::vector<std::string>& files,
             std::vector<std::string>& errors) {
  std::error_code error;
  fs::directory_iterator entries(folder, error);
  for (; !error && entries != fs::directory_iterator(); entries.increment(error)) {
    const auto& entry = *entries;
    std::error_code typeError;
    const auto type = entry.symlink_status(typeError).type();
    if (type == fs::file_type::directory) {
      collect(entry.path(), files, errors);
    } else if (isRecordFile(entry.path()) && !typeError) {
      files.push_back(entry.path().generic_string());
    }
  }
  if (error) {
    errors.push_back(folder.generic_string() + ": cannot be listed (" + error.message() + ")");
  }
}

}  // namespace

FoundRunRecords findRunRecords(const std::string& outputFolder) {
  std::error_code error;
  if (!fs::is_directory(outputFolder, error)) {
    throw std::runtime_error(outputFolder + ": not a folder");
  }
  if (fs::directory_iterator(outputFolder, error); error) {
    throw std::runtime_error(outputFolder + ": cannot be listed (" + error.message() + ")");
  }
  std::vector<std::string> files;
  std::vector<std::string> listingErrors;
  collect(fs::path(outputFolder), files, listingErrors);
  std::sort(files.begin(), files.end());

  FoundRunRecords found;
  for (const auto& file : files) {
    try {
      found.records.push_back(readRunRecord(realFileSystem(), file));
    } catch (const std::exception& readError) {
      found.errors.emplace_back(readError.what());
    }
  }
  found.errors.insert(found.errors.end(), listingErrors.begin(), listingErrors.end());
  std::sort(found.errors.begin(), found.errors.end());
  sortRuns(found.records);
  return found;
}

void sortRuns(std::vector<RunRecord>& runs) {
  std::stable_sort(runs.begin(), runs.end(), runBefore);
}

}  // namespace duv
