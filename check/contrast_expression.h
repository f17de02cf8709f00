#pragma once

// Contrasts as users write them: a name and an expression of weighted predictor names, given as
// an option text NAME=EXPRESSION or as lines of a contrasts file.
//
// Expression:
//   expression := [sign] term {sign term}        sign := "+" | "-"
//   term       := [weight "*"] name
//   weight     := decimal number: digits with an optional point, an optional exponent
//                 ("0.5", ".5", "2", "1e-3"); no sign of its own (the signs between terms give it)
//   name       := bare | '"' characters other than '"' '"'
//   bare       := a run of characters other than blanks, tabs, "+", "-", "*" and '"'
// Blanks and tabs may stand between any two of these. A term without a weight has weight 1. A
// bare run that starts like a number but is not followed by "*" is a name ("1back", "2"). Names
// that hold blanks or operators are written in double quotes; no name holds a double quote.
// Numbers are read the same in every locale.
//
// Contrasts file (tab-separated text, CR LF line ends accepted):
//   name<TAB>expression                          the header, exactly
//   Faces-Houses<TAB>Faces - Houses              one contrast per line; blank lines skipped
// The name is everything before the first tab of a line (blanks around it dropped), the
// expression everything after it.
//
// A contrasts file for a study whose runs differ (a task, a session) may have field columns:
//   task<TAB>name<TAB>expression                 the header: name, expression and field names,
//   faces<TAB>main<TAB>Faces - Houses            in any order, each once
//   motor<TAB>main<TAB>Left - Right
//   <TAB>all<TAB>0.5*Faces + 0.5*Left
// A contrast applies to the runs whose fields have the values of its field cells; an empty cell
// asks nothing of its field. Every line has as many cells as the header, blanks around a cell
// dropped; an expression holds no tab. Two contrasts of one name may apply to no run together.

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace duv {

struct ContrastTerm {
  std::string predictor;  // exactly as written (without its quotes); never empty
  double weight = 0.0;    // finite
};

struct Contrast {
  std::string name;        // never empty, without blanks around it
  std::string expression;  // as written
  // One per predictor named, in the order first named; the weights of a name named more than
  // once are added (such a sum may be 0, the name is still kept). Never empty, and not every
  // weight is 0.
  std::vector<ContrastTerm> terms;
  // The runs of a study it applies to, from the field columns of its contrasts file: each field
  // whose cell is not empty, with that cell, in the file's column order. Empty: every run.
  std::vector<std::pair<std::string, std::string>> appliesTo;
};

// A contrasts file as read: its field columns and its contrasts.
struct ContrastTable {
  std::vector<std::string> fields;  // the field columns, in the header's order
  std::vector<Contrast> contrasts;  // in the file's order; never empty
};

// Whether some run may get both contrasts: no field has a value in both that differs.
bool applyToCommonRuns(const Contrast& a, const Contrast& b);

// Parses `expression` for the contrast `name`. Throws std::invalid_argument when it is
// malformed, with a message naming the contrast and, where it fails, the column (from 1; at
// the end of the text, the column after its last character that is not blank):
//   contrast "F-H": expected a predictor name at column 8 in "Faces - "
// The failures: an empty expression, a trailing or doubled operator, an unclosed quote, an empty
// quoted name, a weight without "*" and name, "*" after something that is not a number, two
// names without an operator, a weight out of the double range, weights of one name adding up
// beyond it, and all weights 0.
Contrast parseContrast(std::string_view name, std::string_view expression);

// Parses an option text NAME=EXPRESSION, split at its first "=". Throws std::invalid_argument
// when there is no "=" or the name is empty (messages quoting the option text), and as
// parseContrast.
Contrast parseContrastOption(std::string_view text);

// Reads the text of a contrasts file with or without field columns; `fileName` is for messages.
// Throws std::runtime_error "<fileName>, line <n>: <what>" when the header has not one column
// name and one expression (expected the header "name<TAB>expression", found "..."), a line has
// no tab or an empty name, a name is used again for runs it already applies to (`contrast "F-H"
// is named again (first on line 2)`), or an expression is malformed (then <what> is
// parseContrast's message); with field columns also
//   column 3 of the header has no name
//   column "task" appears twice
//   2 cells where the header has 3
//   the name is empty
// and "<fileName>: ..." when no contrast follows the header.
ContrastTable readContrastTable(std::string_view text, const std::string& fileName);

// readContrastTable for a file whose contrasts apply to every design: throws as it does, and
// std::runtime_error when the file has field columns:
//   contrasts.tsv: column "task" names no field (check has none; field columns choose among
//   the runs of a study)
std::vector<Contrast> readContrasts(std::string_view text, const std::string& fileName);

// The expression in its shortest form that parses back to the same terms: weights in the
// shortest text that reads back as the same double, a weight of 1 left out, names quoted only
// where a bare name would read otherwise ("0.5*Faces - \"Condition B\"").
std::string formatExpression(const std::vector<ContrastTerm>& terms);

}  // namespace duv
