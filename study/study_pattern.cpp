#include "study/study_pattern.h"

#include <algorithm>
#include <iterator>
#include <optional>
#include <stdexcept>
#include <tuple>
#include <utility>

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
  bool hasWildcard = false;
  bool fieldAfterWildcard = false;  // a field follows a "*" of the component
};

// The piece before the last one of `pieces` when only letters and digits (or nothing) stand
// between it and the end, else nullptr: a field or "*" there would touch the one that follows.
const PatternPiece* touchingPiece(const std::vector<PatternPiece>& pieces) {
  if (pieces.empty()) return nullptr;
  const auto& last = pieces.back();
  if (last.isField || last.isWildcard) return &last;
  if (pieces.size() >= 2 && allLettersAndDigits(last.literal)) {
    const auto& before = pieces[pieces.size() - 2];
    if (before.isField || before.isWildcard) return &before;
  }
  return nullptr;
}

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
    if (c == '*') return parseWildcard(i);
    if (isPathSeparator(c, PathStyle::native)) {
      components_.back().end = i;
      components_.emplace_back();
      components_.back().begin = i + 1;
      return i + 1;
    }
    auto& pieces = components_.back().pieces;
    if (pieces.empty() || pieces.back().isField || pieces.back().isWildcard) pieces.emplace_back();
    pieces.back().literal += c;
    return i + 1;
  }

  // How a field or "*" is named in messages.
  std::string nameOf(const PatternPiece& piece) const {
    return piece.isWildcard ? "*" : "{" + pattern_.fields[piece.field] + "}";
  }

  [[noreturn]] void failTouching(const PatternPiece& before, const std::string& name,
                                 std::size_t at) const {
    fail(nameOf(before) + " and " + name +
         " need a character other than a letter or digit between them (" + column(at) + ")");
  }

  std::size_t parseWildcard(std::size_t at) {
    auto& component = components_.back();
    const auto* touching = touchingPiece(component.pieces);
    // "**" is one "*"; a field touching it would have no one reading.
    if (touching != nullptr && touching->isField) failTouching(*touching, "*", at);
    if (component.fieldAfterWildcard) {
      const auto field = std::find_if(component.pieces.rbegin(), component.pieces.rend(),
                                      [](const PatternPiece& piece) { return piece.isField; });
      fail(nameOf(*field) + " stands between two '*' of one component (" + column(at) +
           "): it could be read in more than one way");
    }
    PatternPiece piece;
    piece.isWildcard = true;
    piece.literal = "*";
    component.pieces.push_back(std::move(piece));
    component.hasWildcard = true;
    return at + 1;
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
    // The field or "*" before this one, when only letters and digits (or nothing) stand between.
    if (const auto* touching = touchingPiece(component.pieces)) {
      failTouching(*touching, "{" + std::string(name) + "}", open);
    }
    PatternPiece piece;
    piece.isField = true;
    piece.field = fieldIndex(std::string(name));
    component.pieces.push_back(std::move(piece));
    component.hasField = true;
    component.fieldAfterWildcard = component.hasWildcard;
    return close + 1;
  }

  std::size_t fieldIndex(const std::string& name) {
    auto& fields = pattern_.fields;
    const auto found = std::find(fields.begin(), fields.end(), name);
    if (found != fields.end()) return static_cast<std::size_t>(found - fields.begin());
    fields.push_back(name);
    return fields.size() - 1;
  }

  // The walk starts before the first component holding a field or "*", or before the last
  // component.
  void splitAtStart() {
    std::size_t first = 0;
    while (first + 1 < components_.size() && !components_[first].hasField &&
           !components_[first].hasWildcard) {
      ++first;
    }
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

namespace {

// Matches pieces (literals and fields, no "*") from `pos` on: each field's end is decided by what
// follows it (never another field): the end of the name, when it is the last piece; letters and
// digits up to the end of the name, when an all letters and digits literal ends the name after
// it; or a literal whose first byte that is not a letter or digit must meet the first such byte
// of the name after `pos`. Returns where the pieces end, or nothing. `reversed`: the name and
// the pieces' literals are written backwards (for the pieces after a component's last "*"), so
// each value is turned back before it is bound.
std::optional<std::size_t> matchPieces(const std::vector<PatternPiece>& pieces,
                                       std::string_view name, std::size_t pos, bool reversed,
                                       FieldValues& bound) {
  for (std::size_t i = 0; i < pieces.size(); ++i) {
    const auto& piece = pieces[i];
    if (!piece.isField) {
      if (name.substr(pos, piece.literal.size()) != piece.literal) return std::nullopt;
      pos += piece.literal.size();
      continue;
    }
    std::size_t end = name.size();
    if (i + 1 < pieces.size()) {
      const std::string& next = pieces[i + 1].literal;
      const auto other = std::find_if_not(next.begin(), next.end(), isLetterOrDigit);
      if (other == next.end()) {
        if (name.size() < pos + next.size()) return std::nullopt;
        end = name.size() - next.size();
      } else {
        const auto lead = static_cast<std::size_t>(other - next.begin());
        std::size_t run = pos;
        while (run < name.size() && isLetterOrDigit(name[run])) ++run;
        if (run < pos + lead) return std::nullopt;
        end = run - lead;
      }
    }
    if (end <= pos) return std::nullopt;
    std::string value(name.substr(pos, end - pos));
    if (!isFieldLabel(value)) return std::nullopt;
    if (reversed) std::reverse(value.begin(), value.end());
    auto& slot = bound.at(piece.field);
    if (slot.empty()) {
      slot = std::move(value);
    } else if (slot != value) {
      return std::nullopt;
    }
    pos = end;
  }
  return pos;
}

// Whether `text` matches literals and "*"s: each "*" any bytes (none too), by backtracking to
// the last "*" (linear in the text for each "*").
bool matchWildcards(const std::vector<PatternPiece>& pieces, std::string_view text) {
  std::size_t piece = 0;
  std::size_t pos = 0;
  std::optional<std::pair<std::size_t, std::size_t>> retry;  // after the last "*": piece, pos
  while (true) {
    if (piece < pieces.size() && pieces[piece].isWildcard) {
      ++piece;
      retry = std::pair(piece, pos);
      continue;
    }
    if (piece == pieces.size() && pos == text.size()) return true;
    if (piece < pieces.size()) {
      const auto& literal = pieces[piece].literal;
      if (text.substr(pos, literal.size()) == literal) {
        ++piece;
        pos += literal.size();
        continue;
      }
    }
    // The last "*" takes one byte more, if there is one.
    if (!retry || retry->second >= text.size()) return false;
    ++retry->second;
    std::tie(piece, pos) = *retry;
  }
}

}  // namespace

bool matchComponent(const StudyPattern& pattern, std::size_t component, std::string_view name,
                    FieldValues& values) {
  const auto& pieces = pattern.components.at(component);
  FieldValues bound = values;
  const auto isWildcard = [](const PatternPiece& piece) { return piece.isWildcard; };
  const auto first = std::find_if(pieces.begin(), pieces.end(), isWildcard);
  if (first == pieces.end()) {
    const auto end = matchPieces(pieces, name, 0, false, bound);
    if (!end || *end != name.size()) return false;
    values = std::move(bound);
    return true;
  }
  // The fields stand before the first "*" and after the last, so each side is read on its own:
  // the head from the name's start, the tail from its end (backwards), the "*"s in between.
  const auto last = std::find_if(pieces.rbegin(), pieces.rend(), isWildcard).base();
  const std::vector<PatternPiece> head(pieces.begin(), first);
  std::vector<PatternPiece> tail(pieces.rbegin(), std::make_reverse_iterator(last));
  for (auto& piece : tail) std::reverse(piece.literal.begin(), piece.literal.end());
  const std::string backwards(name.rbegin(), name.rend());
  const auto headEnd = matchPieces(head, name, 0, false, bound);
  if (!headEnd) return false;
  const auto tailLength = matchPieces(tail, backwards, 0, true, bound);
  if (!tailLength || *headEnd + *tailLength > name.size()) return false;
  const std::vector<PatternPiece> middle(first, last);
  if (!matchWildcards(middle, name.substr(*headEnd, name.size() - *headEnd - *tailLength))) {
    return false;
  }
  values = std::move(bound);
  return true;
}

std::string pathOfNames(const StudyPattern& pattern, const std::vector<std::string>& names) {
  const std::string_view walked = std::string_view(pattern.text).substr(pattern.start.size());
  std::string path = pattern.start;
  std::size_t name = 0;
  std::size_t begin = 0;
  for (std::size_t i = 0; i <= walked.size(); ++i) {
    if (i < walked.size() && !isPathSeparator(walked[i], PathStyle::native)) continue;
    if (i > begin) path += names.at(name++);
    if (i < walked.size()) path += walked[i];
    begin = i + 1;
  }
  return path;
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
