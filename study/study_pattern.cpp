#include "study/study_pattern.h"

#include <algorithm>
#include <stdexcept>

#include "design/paths.h"

namespace duv {
namespace {

bool isLetterOrDigit(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9');
}

bool allLettersAndDigits(std::string_view text) {
  return std::all_of(text.begin(), text.end(), isLetterOrDigit);
}

// The text as messages quote it: a NUL byte, which would end the message, as "\0".
std::string shown(std::string_view text) {
  std::string quoted;
  for (const char c : text) {
    if (c == '\0') {
      quoted += "\\0";
    } else {
      quoted += c;
    }
  }
  return quoted;
}

std::string column(std::size_t offset) { return "column " + std::to_string(offset + 1); }

// A component of the text as written: where it lies and what it holds.
struct RawComponent {
  std::size_t begin = 0;
  std::size_t end = 0;
  std::vector<PatternPiece> pieces;
  bool hasField = false;
};

class PatternParser {
 public:
  PatternParser(std::string_view text, std::string_view option)
      : text_(text), context_(std::string(option) + " '" + shown(text) + "': ") {
    pattern_.text = text;
    pattern_.option = option;
  }

  StudyPattern parse() {
    if (text_.empty()) fail("the pattern is empty");
    components_.emplace_back();
    std::size_t i = 0;
    while (i < text_.size()) i = parseAt(i);
    components_.back().end = text_.size();
    if (isPathSeparator(text_.back(), PathStyle::native)) {
      fail("the pattern ends with a separator: it must name files");
    }
    splitAtStart();
    return std::move(pattern_);
  }

 private:
  [[noreturn]] void fail(const std::string& what) const {
    throw std::invalid_argument(context_ + what);
  }

  // Takes what starts at `i`; returns where the next thing starts.
  std::size_t parseAt(std::size_t i) {
    const char c = text_[i];
    if (c == '\0') fail("a NUL byte at " + column(i));
    if (c == '}') fail("'}' at " + column(i) + " closes no field");
    if (c == '{') return parseField(i);
    if (isPathSeparator(c, PathStyle::native)) {
      components_.back().end = i;
      components_.emplace_back();
      components_.back().begin = i + 1;
      return i + 1;
    }
    auto& pieces = components_.back().pieces;
    if (pieces.empty() || pieces.back().isField) pieces.emplace_back();
    pieces.back().literal += c;
    return i + 1;
  }

  std::size_t parseField(std::size_t open) {
    const auto close = text_.find('}', open + 1);
    if (close == std::string_view::npos) fail("'{' at " + column(open) + " is not closed");
    const auto name = text_.substr(open + 1, close - open - 1);
    if (name.empty()) fail("an empty field name at " + column(open));
    if (!isFieldName(name)) {
      fail("'{" + std::string(name) + "}' at " + column(open) +
           ": a field name holds only letters, digits and '_'");
    }
    auto& component = components_.back();
    auto& pieces = component.pieces;
    // The field before this one, when only letters and digits (or nothing) stand between them.
    const PatternPiece* touching = nullptr;
    if (!pieces.empty() && pieces.back().isField) {
      touching = &pieces.back();
    } else if (pieces.size() >= 2 && allLettersAndDigits(pieces.back().literal)) {
      touching = &pieces[pieces.size() - 2];
    }
    if (touching != nullptr) {
      fail("{" + pattern_.fields[touching->field] + "} and {" + std::string(name) +
           "} need a character other than a letter or digit between them (" + column(open) + ")");
    }
    PatternPiece piece;
    piece.isField = true;
    piece.field = fieldIndex(std::string(name));
    pieces.push_back(std::move(piece));
    component.hasField = true;
    return close + 1;
  }

  std::size_t fieldIndex(const std::string& name) {
    auto& fields = pattern_.fields;
    const auto found = std::find(fields.begin(), fields.end(), name);
    if (found != fields.end()) return static_cast<std::size_t>(found - fields.begin());
    fields.push_back(name);
    return fields.size() - 1;
  }

  // The walk starts before the first component holding a field, or before the last component.
  void splitAtStart() {
    std::size_t first = 0;
    while (first + 1 < components_.size() && !components_[first].hasField) ++first;
    pattern_.start = text_.substr(0, components_[first].begin);
    for (std::size_t c = first; c < components_.size(); ++c) {
      auto& component = components_[c];
      if (component.begin == component.end) continue;
      const auto written = text_.substr(component.begin, component.end - component.begin);
      if (written == "." || written == "..") {
        fail("'" + std::string(written) + "' at " + column(component.begin) +
             " is below where the pattern starts: a pattern walks down from there, never up");
      }
      pattern_.components.push_back(std::move(component.pieces));
    }
  }

  std::string_view text_;
  std::string context_;
  StudyPattern pattern_;
  std::vector<RawComponent> components_;
};

}  // namespace

bool isFieldLabel(std::string_view text) { return !text.empty() && allLettersAndDigits(text); }

bool isFieldName(std::string_view text) {
  return !text.empty() && std::all_of(text.begin(), text.end(),
                                      [](char c) { return isLetterOrDigit(c) || c == '_'; });
}

StudyPattern parseStudyPattern(std::string_view text, std::string_view option) {
  return PatternParser(text, option).parse();
}

std::string fillPattern(const StudyPattern& pattern, const FieldValues& values) {
  const std::string_view text = pattern.text;
  std::string filled;
  std::size_t i = 0;
  while (i < text.size()) {
    const auto open = text.find('{', i);
    if (open == std::string_view::npos) break;
    const auto close = text.find('}', open);
    filled += text.substr(i, open - i);
    const auto name = text.substr(open + 1, close - open - 1);
    const auto field = static_cast<std::size_t>(
        std::find(pattern.fields.begin(), pattern.fields.end(), name) - pattern.fields.begin());
    if (field < values.size() && !values[field].empty()) {
      filled += values[field];
    } else {
      filled += text.substr(open, close - open + 1);
    }
    i = close + 1;
  }
  filled += text.substr(std::min(i, text.size()));
  return filled;
}

bool matchComponent(const StudyPattern& pattern, std::size_t component, std::string_view name,
                    FieldValues& values) {
  const auto& pieces = pattern.components.at(component);
  FieldValues bound = values;
  std::size_t pos = 0;
  for (std::size_t i = 0; i < pieces.size(); ++i) {
    const auto& piece = pieces[i];
    if (!piece.isField) {
      if (name.substr(pos, piece.literal.size()) != piece.literal) return false;
      pos += piece.literal.size();
      continue;
    }
    // Where the label ends is decided by what follows it (never another field): the end of the
    // name; letters and digits up to the end of the name; or a literal whose first byte that
    // is not a letter or digit must meet the first such byte of the name after `pos`.
    std::size_t end = name.size();
    if (i + 1 < pieces.size()) {
      const std::string& next = pieces[i + 1].literal;
      const auto other = std::find_if_not(next.begin(), next.end(), isLetterOrDigit);
      if (other == next.end()) {
        if (name.size() < pos + next.size()) return false;
        end = name.size() - next.size();
      } else {
        const auto lead = static_cast<std::size_t>(other - next.begin());
        std::size_t run = pos;
        while (run < name.size() && isLetterOrDigit(name[run])) ++run;
        if (run < pos + lead) return false;
        end = run - lead;
      }
    }
    if (end <= pos) return false;
    const auto value = name.substr(pos, end - pos);
    if (!isFieldLabel(value)) return false;
    auto& slot = bound.at(piece.field);
    if (slot.empty()) {
      slot = value;
    } else if (slot != value) {
      return false;
    }
    pos = end;
  }
  if (pos != name.size()) return false;
  values = std::move(bound);
  return true;
}

bool matchPattern(const StudyPattern& pattern, std::string_view path, FieldValues& values) {
  if (path.substr(0, pattern.start.size()) != pattern.start) return false;
  path.remove_prefix(pattern.start.size());
  FieldValues bound(pattern.fields.size());
  std::size_t component = 0;
  std::size_t begin = 0;
  for (std::size_t i = 0; i <= path.size(); ++i) {
    if (i < path.size() && !isPathSeparator(path[i], PathStyle::native)) continue;
    if (i > begin) {
      if (component == pattern.components.size()) return false;
      if (!matchComponent(pattern, component, path.substr(begin, i - begin), bound)) return false;
      ++component;
    }
    begin = i + 1;
  }
  if (component != pattern.components.size()) return false;
  values = std::move(bound);
  return true;
}

}  // namespace duv
