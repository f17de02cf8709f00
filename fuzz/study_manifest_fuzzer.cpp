// Fuzz target: study manifests and file patterns through their parsers. Input layout:
//   byte 0         bit 0: the rest is a manifest (else a --primary pattern)
//   bytes 1 ...    the text
// A manifest gives runs that keep its promises (a primary, confounds, a name that is the
// primary's file name, distinct primaries, normal output folders inside the study's output
// folder; one line each in the dry run's table) or an error naming the manifest. A pattern that
// parses reads back as written when no field has a value, matches itself exactly when it has no
// fields, and filled with any labels matches back to those labels and only those.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <set>
#include <sstream>
#include <stdexcept>
#include <string>
#include <string_view>

#include "design/file_system.h"
#include "design/paths.h"
#include "fuzz/fuzz_checks.h"
#include "study/pairing_table.h"
#include "study/study_manifest.h"
#include "study/study_pattern.h"

namespace {

constexpr std::uint8_t kManifest = 1;
const std::string kManifestPath = "fuzz/study.tsv";

bool startsWith(std::string_view text, std::string_view prefix) {
  return text.substr(0, prefix.size()) == prefix;
}

void checkManifest(std::string_view text) {
  duv::StudyManifest manifest;
  try {
    manifest = duv::parseStudyManifest(text, kManifestPath, duv::realFileSystem());
  } catch (const std::invalid_argument&) {
    duv::fuzz::fail("a manifest refused with a usage error");
  } catch (const std::runtime_error& error) {
    if (!startsWith(error.what(), kManifestPath + ": ") &&
        !startsWith(error.what(), kManifestPath + ", line ")) {
      std::fprintf(stderr, "%s\n", error.what());
      duv::fuzz::fail("a manifest's error does not name it");
    }
    return;
  }
  if (manifest.runs.empty()) duv::fuzz::fail("a manifest without runs");
  if (manifest.lines.size() != manifest.runs.size()) duv::fuzz::fail("a run without its line");
  std::set<std::string> primaries;
  for (const auto& run : manifest.runs) {
    if (run.primary.empty() || !primaries.insert(run.primary).second) {
      duv::fuzz::fail("an empty or repeated primary");
    }
    if (run.name != duv::fileNameOf(run.primary, duv::PathStyle::native)) {
      duv::fuzz::fail("a run's name");
    }
    if (run.confounds.empty()) duv::fuzz::fail("a run without confounds");
    for (const auto& confound : run.confounds) {
      if (confound.empty()) duv::fuzz::fail("an empty confound");
    }
    std::string normal;
    if (!duv::normalOutputFolder(run.outputFolder, normal) || normal != run.outputFolder) {
      duv::fuzz::fail("an output folder that is not normal or leads out");
    }
    if (run.fields.size() != manifest.fields.size()) {
      duv::fuzz::fail("a manifest's run without a value for each field column");
    }
    for (std::size_t f = 0; f < run.fields.size(); ++f) {
      const auto& [name, value] = run.fields[f];
      if (name != manifest.fields[f] || !duv::isFieldName(name)) {
        duv::fuzz::fail("a manifest's field that is not its column");
      }
      if (!value.empty() && !duv::isFieldLabel(value)) duv::fuzz::fail("a field value not a label");
    }
  }
  std::ostringstream table;
  duv::writePairingTable(manifest.runs, table);
  std::size_t lines = 0;
  for (const char c : table.str()) lines += c == '\n' ? 1 : 0;
  if (lines != manifest.runs.size() + 1) duv::fuzz::fail("a table row over more than one line");
}

// Fills the pattern with labels made from `seed` and checks that they match back.
void checkFilled(const duv::StudyPattern& pattern, unsigned seed) {
  static const char kAlphabet[] = "0123456789abcxyzABCXYZ";
  duv::FieldValues values;
  for (std::size_t f = 0; f < pattern.fields.size(); ++f) {
    std::string label;
    const std::size_t length = 1 + (seed + f) % 4;
    for (std::size_t k = 0; k < length; ++k) {
      label += kAlphabet[(seed * 7 + f * 5 + k * 3) % (sizeof kAlphabet - 1)];
    }
    values.push_back(label);
  }
  const auto filled = duv::fillPattern(pattern, values);
  duv::FieldValues read;
  if (!duv::matchPattern(pattern, filled, read)) duv::fuzz::fail("a filled pattern does not match");
  if (read != values) duv::fuzz::fail("a filled pattern reads back as other values");
}

void checkPattern(std::string_view text) {
  duv::StudyPattern pattern;
  try {
    pattern = duv::parseStudyPattern(text, "--primary");
  } catch (const std::invalid_argument& error) {
    if (!startsWith(error.what(), "--primary '")) duv::fuzz::fail("an error without the option");
    return;
  }
  if (pattern.components.empty()) duv::fuzz::fail("a pattern without components");
  if (pattern.start.find('{') != std::string::npos) duv::fuzz::fail("a field where it starts");
  std::set<std::string> names;
  for (const auto& field : pattern.fields) {
    if (!duv::isFieldName(field) || !names.insert(field).second) {
      duv::fuzz::fail("a bad or repeated field name");
    }
  }
  for (const auto& component : pattern.components) {
    if (component.empty()) duv::fuzz::fail("an empty component");
  }
  if (duv::fillPattern(pattern, duv::FieldValues(pattern.fields.size())) != text) {
    duv::fuzz::fail("an unfilled pattern does not read as written");
  }
  duv::FieldValues read;
  if (duv::matchPattern(pattern, text, read) != pattern.fields.empty()) {
    duv::fuzz::fail("a pattern's text matches it although it has fields, or not without");
  }
  for (unsigned seed = 0; seed < 4; ++seed) checkFilled(pattern, seed);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);
  if ((data[0] & kManifest) != 0) {
    checkManifest(text);
  } else {
    checkPattern(text);
  }
  return 0;
}
