#include "design/confound_selection.h"

#include <algorithm>
#include <charconv>
#include <stdexcept>

#include "design/confound_table.h"
#include "design/confound_table_format.h"
#include "design/text.h"

namespace duv {
namespace {

using Kind = ConfoundSelector::Kind;

constexpr std::string_view kACompCorPreset = "acompcor";
constexpr std::string_view kACompCorPrefix = "a_comp_cor_";
constexpr std::string_view kCosinePrefix = "cosine";
constexpr std::string_view kOutlierPrefixes[] = {"non_steady_state_outlier", "motion_outlier"};
constexpr std::string_view kMotion[] = {"trans_x", "trans_y", "trans_z", "rot_x", "rot_y", "rot_z"};

struct Preset {
  std::string_view text;
  Kind kind;
};
constexpr Preset kPresets[] = {
    {"motion6", Kind::motion6},   {"motion12", Kind::motion12}, {"motion24", Kind::motion24},
    {"wm_csf", Kind::wmCsf},      {"global", Kind::global},     {"cosine", Kind::cosine},
    {"outliers", Kind::outliers},
};

bool startsWith(std::string_view text, std::string_view prefix) {
  return text.substr(0, prefix.size()) == prefix;
}

// The columns a preset names; each must be in the table.
std::vector<std::string> namedColumns(Kind kind) {
  std::vector<std::string> names;
  switch (kind) {
    case Kind::motion6:
    case Kind::motion12:
    case Kind::motion24: {
      const std::string derivative(tsv::kDerivativeSuffix);
      const std::string power(tsv::kPowerSuffix);
      const std::string suffixes[] = {"", derivative, power, derivative + power};
      const std::size_t variants = kind == Kind::motion6 ? 1 : kind == Kind::motion12 ? 2 : 4;
      for (std::size_t v = 0; v < variants; ++v) {
        for (const auto base : kMotion) names.push_back(std::string(base) + suffixes[v]);
      }
      break;
    }
    case Kind::wmCsf:
      names = {"white_matter", "csf"};
      break;
    case Kind::global:
      names = {"global_signal"};
      break;
    case Kind::aCompCor:
    case Kind::cosine:
    case Kind::outliers:
    case Kind::name:
      break;
  }
  return names;
}

bool chosenBy(const ConfoundSelector& selector, const std::string& name,
              const std::vector<std::string>& named) {
  switch (selector.kind) {
    case Kind::aCompCor:
      return startsWith(name, kACompCorPrefix);
    case Kind::cosine:
      return startsWith(name, kCosinePrefix);
    case Kind::outliers:
      return std::any_of(std::begin(kOutlierPrefixes), std::end(kOutlierPrefixes),
                         [&](std::string_view prefix) { return startsWith(name, prefix); });
    case Kind::name:
      return matchesPattern(name, selector.text);
    case Kind::motion6:
    case Kind::motion12:
    case Kind::motion24:
    case Kind::wmCsf:
    case Kind::global:
      break;
  }
  return std::find(named.begin(), named.end(), name) != named.end();
}

// The columns of one selector, in table order, with the checks that what it asks for exists.
std::vector<std::size_t> columnsOf(const ConfoundTable& table, const ConfoundSelector& selector) {
  const auto named = namedColumns(selector.kind);
  std::vector<std::size_t> columns;
  for (std::size_t c = 0; c < table.names.size(); ++c) {
    if (selector.kind == Kind::aCompCor && columns.size() == selector.count) break;
    if (chosenBy(selector, table.names[c], named)) columns.push_back(c);
  }
  std::vector<std::string> missing;
  for (const auto& name : named) {
    if (std::find(table.names.begin(), table.names.end(), name) == table.names.end()) {
      missing.push_back(name);
    }
  }
  if (!missing.empty()) {
    throw std::runtime_error(table.fileName + ": " + selector.text +
                             " needs columns the table does not have: " + joined(missing, ", "));
  }
  if (selector.kind == Kind::aCompCor && columns.size() < selector.count) {
    throw std::runtime_error(table.fileName + ": " + selector.text + " asks for " +
                             std::to_string(selector.count) + " \"" + std::string(kACompCorPrefix) +
                             "\" columns, the table has " + std::to_string(columns.size()));
  }
  if (selector.kind == Kind::name && columns.empty()) {
    requireKnownSelections(table.names, table.fileName, {selector});
  }
  return columns;
}

char lowered(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// Levenshtein distance, letter case aside, in one row of the table.
std::size_t editDistance(std::string_view a, std::string_view b) {
  std::vector<std::size_t> row(b.size() + 1);
  for (std::size_t j = 0; j <= b.size(); ++j) row[j] = j;
  for (std::size_t i = 1; i <= a.size(); ++i) {
    std::size_t diagonal = row[0];
    row[0] = i;
    for (std::size_t j = 1; j <= b.size(); ++j) {
      const std::size_t above = row[j];
      const std::size_t substitution = diagonal + (lowered(a[i - 1]) == lowered(b[j - 1]) ? 0 : 1);
      row[j] = std::min({above + 1, row[j - 1] + 1, substitution});
      diagonal = above;
    }
  }
  return row[b.size()];
}

bool beginsWithLowered(std::string_view name, std::string_view text) {
  if (name.size() < text.size()) return false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (lowered(name[i]) != lowered(text[i])) return false;
  }
  return true;
}

constexpr std::size_t kMostShown = 5;

// The candidates close to `text`, nearest first, at most kMostShown; "none" when none is.
std::string closeOnes(std::string_view text, const std::vector<std::string>& candidates) {
  const std::size_t bound = std::clamp<std::size_t>(text.size() / 3, 1, 3);
  std::vector<std::pair<std::size_t, std::size_t>> close;  // distance, index
  for (std::size_t i = 0; i < candidates.size(); ++i) {
    const auto distance = editDistance(text, candidates[i]);
    if (distance <= bound || (text.size() >= 3 && beginsWithLowered(candidates[i], text))) {
      close.emplace_back(distance, i);
    }
  }
  if (close.empty()) return "none";
  std::stable_sort(close.begin(), close.end(),
                   [](const auto& a, const auto& b) { return a.first < b.first; });
  std::vector<std::string> shown;
  for (std::size_t k = 0; k < close.size() && k < kMostShown; ++k) {
    shown.push_back(candidates[close[k].second]);
  }
  return joined(shown, ", ");
}

}  // namespace

ConfoundSelector parseConfoundSelector(std::string_view text) {
  if (text.empty()) throw std::invalid_argument("an empty confound selection");
  for (const auto& preset : kPresets) {
    if (text == preset.text) return {std::string(text), preset.kind, 0};
  }
  if (text == kACompCorPreset || startsWith(text, std::string(kACompCorPreset) + ":")) {
    const auto digits = text.substr(std::min(text.size(), kACompCorPreset.size() + 1));
    std::size_t count = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), count);
    if (digits.empty() || error != std::errc() || end != digits.data() + digits.size() ||
        count == 0) {
      throw std::invalid_argument("\"" + std::string(text) +
                                  "\": acompcor needs a count from 1, as in acompcor:5");
    }
    return {std::string(text), Kind::aCompCor, count};
  }
  return {std::string(text), Kind::name, 0};
}

std::vector<std::size_t> selectConfounds(const ConfoundTable& table,
                                         const std::vector<ConfoundSelector>& selectors) {
  if (selectors.empty()) {
    const std::string choices =
        "presets " + std::string(kConfoundPresets) + ", or column names (* for any text)";
    throw std::runtime_error(table.fileName +
                             ": choose the confounds to take from this table with --confounds: " +
                             choices + "; its columns: " + joined(table.names, ", "));
  }
  std::vector<std::size_t> chosen;
  std::vector<bool> taken(table.names.size(), false);
  for (const auto& selector : selectors) {
    for (const auto c : columnsOf(table, selector)) {
      if (taken[c]) continue;
      taken[c] = true;
      chosen.push_back(c);
    }
  }
  return chosen;
}

void requireKnownSelections(const std::vector<std::string>& names, const std::string& fileName,
                            const std::vector<ConfoundSelector>& selectors) {
  for (const auto& selector : selectors) {
    if (selector.kind != Kind::name) continue;
    if (std::any_of(names.begin(), names.end(),
                    [&](const std::string& name) { return matchesPattern(name, selector.text); })) {
      continue;
    }
    std::vector<std::string> presets;
    for (const auto& preset : kPresets) presets.emplace_back(preset.text);
    presets.insert(presets.begin() + 5, std::string(kACompCorPreset));
    throw UnknownSelectionError(
        fileName + ": --confounds \"" + selector.text +
        "\" is neither a preset nor a column; close presets: " + closeOnes(selector.text, presets) +
        "; close columns: " + closeOnes(selector.text, names));
  }
}

std::vector<LeftOutColumn> leaveOutEmptyAndRepeatedOutliers(
    const ConfoundTable& table, const std::vector<ConfoundSelector>& selectors,
    std::vector<std::size_t>& chosen) {
  std::vector<bool> byOutliersOnly(table.names.size(), false);
  for (const auto& selector : selectors) {
    if (selector.kind != Kind::outliers) continue;
    for (const auto c : columnsOf(table, selector)) byOutliersOnly[c] = true;
  }
  for (const auto& selector : selectors) {
    if (selector.kind == Kind::outliers) continue;
    for (const auto c : columnsOf(table, selector)) byOutliersOnly[c] = false;
  }
  std::vector<LeftOutColumn> leftOut;
  std::vector<std::size_t> kept;
  kept.reserve(chosen.size());
  for (const auto c : chosen) {
    const auto& column = table.columns[c];
    if (!byOutliersOnly[c]) {
      kept.push_back(c);
      continue;
    }
    if (std::all_of(column.begin(), column.end(), [](float x) { return x == 0.0F; })) {
      leftOut.push_back({table.names[c], "all zero"});
      continue;
    }
    // Compared with every column that stays, also those chosen after it by other selectors.
    const auto same = std::find_if(chosen.begin(), chosen.end(), [&](std::size_t other) {
      if (other == c || table.columns[other] != column) return false;
      const bool keptBefore = std::find(kept.begin(), kept.end(), other) != kept.end();
      return keptBefore || !byOutliersOnly[other];
    });
    if (same != chosen.end()) {
      leftOut.push_back({table.names[c], "repeats " + table.names[*same]});
      continue;
    }
    kept.push_back(c);
  }
  chosen = std::move(kept);
  return leftOut;
}

bool matchesPattern(std::string_view name, std::string_view pattern) {
  // Greedy with one step back: on a mismatch, the last '*' takes one more character.
  std::size_t n = 0;
  std::size_t p = 0;
  std::size_t star = std::string_view::npos;
  std::size_t resume = 0;
  while (n < name.size()) {
    if (p < pattern.size() && pattern[p] == '*') {
      star = p++;
      resume = n;
    } else if (p < pattern.size() && pattern[p] == name[n]) {
      ++p;
      ++n;
    } else if (star != std::string_view::npos) {
      p = star + 1;
      n = ++resume;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == '*') ++p;
  return p == pattern.size();
}

}  // namespace duv
