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

#include <string>
#include <string_view>
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
};

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

// Reads the text of a contrasts file; `fileName` is for messages. Throws std::runtime_error
// "<fileName>, line <n>: <what>" when the header is not "name<TAB>expression", a line has no
// tab or an empty name, a name is used twice, or an expression is malformed (then <what> is
// parseContrast's message); and "<fileName>: ..." when no contrast follows the header.
std::vector<Contrast> readContrasts(std::string_view text, const std::string& fileName);

// The expression in its shortest form that parses back to the same terms: weights in the
// shortest text that reads back as the same double, a weight of 1 left out, names quoted only
// where a bare name would read otherwise ("0.5*Faces - \"Condition B\"").
std::string formatExpression(const std::vector<ContrastTerm>& terms);

}  // namespace duv
