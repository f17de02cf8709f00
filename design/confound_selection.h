#pragma once

// Which columns of a confound table become confounds: presets for the common choices and
// column names with '*' for any text.

#include <cstddef>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace duv {

struct ConfoundTable;

// One choice, as the user wrote it. Presets:
//   motion6         trans_x, trans_y, trans_z, rot_x, rot_y, rot_z
//   motion12        motion6 and their "_derivative1" columns
//   motion24        motion12 and the "_power2" and "_derivative1_power2" columns
//   wm_csf          white_matter, csf
//   global          global_signal
//   acompcor:N      the first N "a_comp_cor_" columns (N from 1)
//   cosine          every "cosine" column (there may be none)
//   outliers        every "non_steady_state_outlier" and "motion_outlier" column (there may be
//                   none)
// Anything else is a column name in which '*' stands for any text (also none).
struct ConfoundSelector {
  enum class Kind { motion6, motion12, motion24, wmCsf, global, aCompCor, cosine, outliers, name };
  std::string text;
  Kind kind = Kind::name;
  std::size_t count = 0;  // aCompCor only
};

// A selection that is neither a preset nor a column of a table: a mistake in the command line
// (the tool's usage error), not in the file.
class UnknownSelectionError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The presets as a user lists them.
inline constexpr std::string_view kConfoundPresets =
    "motion6, motion12, motion24, wm_csf, global, acompcor:N, cosine, outliers";

// Throws std::invalid_argument for an empty text and for "acompcor" without a count from 1 (a
// text that begins with "acompcor:").
ConfoundSelector parseConfoundSelector(std::string_view text);

// The indexes of the chosen columns: selector after selector, each one's columns in table
// order; a column chosen already is not taken again. Throws std::runtime_error naming the file
// when `selectors` is empty (listing the presets and the table's columns), when a preset's
// named column is missing, and when fewer "a_comp_cor_" columns exist than asked for; and
// requireKnownSelections' error when a name matches no column.
//
// Whatever the order of the steps, a selection is checked against the table's names only.
std::vector<std::size_t> selectConfounds(const ConfoundTable& table,
                                         const std::vector<ConfoundSelector>& selectors);

// A column the outliers preset would take that tells the design nothing new.
struct LeftOutColumn {
  std::string name;
  std::string reason;  // "all zero", or "repeats <the kept column it equals>"
};

// Removes from `chosen` (selectConfounds' result for `selectors`, whose values are final: after
// zeroLeadingNotAvailable) the columns that only the outliers preset chose and that are all zero
// or equal, value for value, to another chosen column that stays: such a column would make the
// design rank-deficient (pipelines flag the first volumes both as non-steady and as motion
// outliers). Of equal columns the first in `chosen` stays. Columns any other selector chose
// always stay. Returns the columns left out, in the order of `chosen`.
std::vector<LeftOutColumn> leaveOutEmptyAndRepeatedOutliers(
    const ConfoundTable& table, const std::vector<ConfoundSelector>& selectors,
    std::vector<std::size_t>& chosen);

// Throws UnknownSelectionError for the first name selector (Kind::name) that matches none of
// `names`, the columns of the table `fileName`:
//   "<fileName>: --confounds \"<text>\" is neither a preset nor a column; close presets:
//   <list>; close columns: <list>"
// Each list holds at most five, nearest first (ties in their own order), or is "none". Close
// means, letter case aside, an edit distance (insertions, deletions, substitutions) of at most
// a third of the text's length (at least 1, at most 3), or, for a text of three characters or
// more, a name that begins with it. Presets are compared by their names ("acompcor" for
// acompcor:N).
void requireKnownSelections(const std::vector<std::string>& names, const std::string& fileName,
                            const std::vector<ConfoundSelector>& selectors);

// Whether `name` is `pattern`, in which each '*' stands for any text.
bool matchesPattern(std::string_view name, std::string_view pattern);

}  // namespace duv
