#pragma once

// Which columns of a confound table become confounds: presets for the common choices and
// column names with '*' for any text.

#include <cstddef>
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

// The presets as a user lists them.
inline constexpr std::string_view kConfoundPresets =
    "motion6, motion12, motion24, wm_csf, global, acompcor:N, cosine, outliers";

// Throws std::invalid_argument for an empty text and for "acompcor" without a count from 1 (a
// text that begins with "acompcor:").
ConfoundSelector parseConfoundSelector(std::string_view text);

// The indexes of the chosen columns: selector after selector, each one's columns in table
// order; a column chosen already is not taken again. Throws std::runtime_error naming the file
// when `selectors` is empty (listing the presets and the table's columns), when a preset's
// named column is missing, when fewer "a_comp_cor_" columns exist than asked for, and when a
// name matches no column.
std::vector<std::size_t> selectConfounds(const ConfoundTable& table,
                                         const std::vector<ConfoundSelector>& selectors);

// Whether `name` is `pattern`, in which each '*' stands for any text.
bool matchesPattern(std::string_view name, std::string_view pattern);

}  // namespace duv
