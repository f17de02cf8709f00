#include "study/run_record_search.h"

#include <algorithm>
#include <stdexcept>
#include <string_view>

#include "design/paths.h"
#include "study/run_record_file.h"
#include "study/run_record_format.h"

namespace duv {
namespace {

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

bool isRecordFile(const std::string& name) {
  const std::string_view suffix = run_record_format::kFileSuffix;
  return name.size() > suffix.size() && name.ends_with(suffix);
}

std::string cannotBeListed(const std::string& folder, const FolderListingError& error) {
  return folder + ": cannot be listed (" + error.reason() + ")";
}

// A record file found: its path, and its folder relative to the output folder ("" for that
// folder itself, "/" between components) as RunPlan::outputFolder gives it.
struct RecordFile {
  std::string path;
  std::string runFolder;
};

// The record files among `entries` (those of `folder`, which is `relative` in the output
// folder) and below, and the folders below that cannot be listed. Links to folders are not
// followed: a study's output folder holds none of its own.
void collect(const std::string& folder, const std::string& relative,
             const std::vector<FolderEntry>& entries, FileSystem& files,
             std::vector<RecordFile>& found, std::vector<std::string>& errors) {
  for (const auto& entry : entries) {
    const auto path = joinPath(folder, entry.name);
    if (entry.kind == FileKind::folder && !entry.link) {
      std::vector<FolderEntry> below;
      try {
        below = files.listFolder(path);
      } catch (const FolderListingError& error) {
        errors.push_back(cannotBeListed(path, error));
        continue;
      }
      collect(path, relative.empty() ? entry.name : relative + "/" + entry.name, below, files,
              found, errors);
    } else if (isRecordFile(entry.name) && (entry.link || entry.kind != FileKind::unknown)) {
      found.push_back({path, relative});
    }
  }
}

}  // namespace

FoundRunRecords findRunRecords(const std::string& outputFolder, FileSystem& files) {
  if (files.status(outputFolder).kind != FileKind::folder) {
    throw std::runtime_error(outputFolder + ": not a folder");
  }
  std::vector<FolderEntry> entries;
  try {
    entries = files.listFolder(outputFolder);
  } catch (const FolderListingError& error) {
    throw std::runtime_error(cannotBeListed(outputFolder, error));
  }
  std::vector<RecordFile> recordFiles;
  std::vector<std::string> listingErrors;
  collect(outputFolder, "", entries, files, recordFiles, listingErrors);
  std::sort(recordFiles.begin(), recordFiles.end(),
            [](const RecordFile& a, const RecordFile& b) { return a.path < b.path; });

  FoundRunRecords found;
  for (const auto& file : recordFiles) {
    try {
      auto record = readRunRecord(files, file.path);
      if (const auto problem = misplacedOutput(record, file.runFolder)) {
        found.errors.push_back(file.path + ": " + *problem + "; the record is not used");
        continue;
      }
      found.records.push_back(std::move(record));
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
