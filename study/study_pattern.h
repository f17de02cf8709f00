#pragma once

// Patterns that name a study's files by fields, as --primary and --confounds-from give them:
//   sub-{sub}/func/sub-{sub}_task-{task}_run-{run}_design.sdm
//   sub-{sub}/func/sub-{sub}_task-{task}_*_desc-confounds_timeseries.tsv
//
//   pattern    := component {separator component}     (separators: native, design/paths.h)
//   component  := {literal | field | "*"}
//   field      := "{" name "}"            name  := one or more ASCII letters, digits and "_"
//   literal    := bytes other than "{", "}" and "*", matched exactly (case-sensitive)
// A field matches a label: one or more ASCII letters and digits (never "-", "_", "." or a
// separator), so it never spans components. A field used more than once takes one value. "*"
// matches any bytes but a separator (none too), within its component, and makes no field.
//
// Where the pattern starts: the text before its first component that holds a field or "*" (up
// to and including the separator before it; "" when the first component holds one), or before
// its last component when none does. Files are found by walking down from that folder through
// the components after it (study/pattern_walk.h), and a file's folder relative to it is the
// run's output folder.
//
// A component gives a name's fields in one way at most: two fields of one component, and a
// field and a "*", must have a character other than a letter or digit between them, and no
// field stands between two "*" of one component. Without the first, "{a}x{b}" would read
// "1x2x3" as a=1, b=2x3 or as a=1x2, b=3; without the last, "*-{a}-*" would read "x-1-y-2-z" as
// a=1 or a=2; such a pattern is refused rather than one reading picked. Without "*", two
// different files never fill a pattern with the same values either: a file's path is its
// pattern filled with its values; with "*", they may.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace duv {

struct PatternPiece {
  bool isField = false;
  bool isWildcard = false;  // "*" (its literal is "*")
  std::string literal;      // the bytes to match, when not a field
  std::size_t field = 0;    // index into StudyPattern::fields, when a field
};

struct StudyPattern {
  std::string text;    // as given
  std::string option;  // the option that gave it, for messages: "--primary"
  // Every field named, each once, in the order of first use.
  std::vector<std::string> fields;
  // The text before the components walked (see above); never holds a field.
  std::string start;
  // The components after `start`, each as its pieces in order; components left empty by doubled
  // separators are not among them. Never empty; the last names the files.
  std::vector<std::vector<PatternPiece>> components;
};

// One value per field of a pattern, in StudyPattern::fields order; "" stands for a field not
// (yet) given a value, since a label is never empty.
using FieldValues = std::vector<std::string>;

// Parses a pattern. Throws std::invalid_argument "<option> '<text>': <what>" (a NUL byte of the
// text quoted as "\0"), columns from 1:
//   the pattern is empty
//   '{' at column 5 is not closed
//   '}' at column 5 closes no field
//   an empty field name at column 5
//   '{su-b}' at column 5: a field name holds only letters, digits and '_'
//   {a} and {b} need a character other than a letter or digit between them (column 8)
//   {a} and * need a character other than a letter or digit between them (column 4)
//                                                                  (also * and {a})
//   {a} stands between two '*' of one component (column 7): it could be read in more than one
//   way
//   '..' at column 9 is below where the pattern starts: a pattern walks down from there, never
//   up                                                                           (also '.')
//   the pattern ends with a separator: it must name files
//   a NUL byte at column 3
StudyPattern parseStudyPattern(std::string_view text, std::string_view option);

// The pattern's text with each field given a value in `values` replaced by it; the others stay
// as written ("{run}"), as does each "*". `values` holds one entry per field.
std::string fillPattern(const StudyPattern& pattern, const FieldValues& values);

// Whether `name` matches component `component` of the pattern, given the values already bound
// in `values` (one entry per field, "" for unbound). On a match, binds the component's unbound
// fields in `values` and returns true; otherwise returns false and leaves `values` as it was.
bool matchComponent(const StudyPattern& pattern, std::size_t component, std::string_view name,
                    FieldValues& values);

// Whether `path` (relative to the same folder as the pattern's text) fills the pattern; on a
// match returns true with `values` holding every field's value (their only reading).
bool matchPattern(const StudyPattern& pattern, std::string_view path, FieldValues& values);

// The path of the file whose components after where the pattern starts are `names` (one per
// component, in order): the pattern's text with each of those components replaced by its name,
// the start and the separators as written. For a file the walk found, the same as the pattern
// filled with its values when the pattern has no "*".
std::string pathOfNames(const StudyPattern& pattern, const std::vector<std::string>& names);

// True for one or more ASCII letters and digits.
bool isFieldLabel(std::string_view text);

// True for one or more ASCII letters, digits and "_".
bool isFieldName(std::string_view text);

}  // namespace duv
