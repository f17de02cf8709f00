#pragma once

// A check run's model: the files checked, their status rules and their warnings in words. The
// writers (check/check_output.h, check/check_html.h) show it; the status rules live here alone.

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "check/check_status.h"
#include "check/contrasts.h"
#include "check/design_check.h"
#include "check/motion_check.h"
#include "design/design_matrix.h"
#include "numerics/motion_summary.h"

namespace duv {

// One input of a check run: the design as read and its check, or why it could not be read.
struct CheckedFile {
  std::string path;
  // Why the file could not be read, or (checkFailed) why it could not be checked although it
  // was read (a contrast naming a predictor it does not have).
  std::optional<std::string> readError;
  bool checkFailed = false;
  DesignMatrix design;
  DesignCheck check;
  std::vector<Contrast> contrastDefinitions;  // as asked, in order, for the text of each
  std::vector<ContrastCheck> contrasts;       // one per definition
  std::optional<MotionCheck> motion;          // with a motion input
};

struct CheckRun {
  std::vector<CheckedFile> files;
  CheckThresholds thresholds;
  // Show the findings among confounds alone one by one, as the other warnings, rather than as
  // one summary line per design. (TSV and JSON hold every finding either way.)
  bool showAll = false;
  MotionSummaryOptions motion;            // the head-motion thresholds
  ContrastThresholds contrastThresholds;  // the contrasts' levels
};

// --- status --------------------------------------------------------------------------------

// The worst level that counts toward a readable file's status: its design's warnings, its
// contrasts and its head motion; none when nothing counts.
std::optional<CheckLevel> levelOf(const CheckedFile& file);

// The status: ok when no warning counts toward it, else the worst counted level's; unreadable
// for a file not read, failed for one read but not checked. Its text: statusName.
CheckStatus statusOf(const CheckedFile& file);

// The status over every finding, counted or not, as statusOf otherwise.
CheckStatus statusOfAll(const CheckedFile& file);

// The worst warning level over all readable files; none when there are no warnings.
std::optional<CheckLevel> worstLevel(const CheckRun& run);

// The worst warning naming each predictor, by position, of all (countedOnly false) or of those
// that count toward the status.
std::vector<std::optional<CheckLevel>> columnLevels(const DesignCheck& check,
                                                    bool countedOnly = false);

// The counted warnings of a level, head motion's and the contrasts' among them.
std::size_t warningCount(const CheckedFile& file, CheckLevel level);

// The warnings a reader is shown: those that count toward the status, or all with showAll.
std::vector<const CheckWarning*> shownWarnings(const DesignCheck& check, bool showAll);

// --- words ---------------------------------------------------------------------------------

// The findings among confounds alone in one line, e.g. "confounds: 70 pairs at |r| >= 0.70,
// 12 at |r| >= 0.40, highest VIF 815.0 (Drift cos 1); expected among nuisance terms"; none when
// there are none.
std::optional<std::string> confoundSummary(const DesignCheck& check,
                                           const CheckThresholds& thresholds);

// A contrast's warning in words: "contrast \"F-H\": not estimable: it falls into the dependency
// of A, B and C" or "contrast \"F-H\": contrast VIF 12.3".
std::string contrastWarningText(const DesignCheck& check, const ContrastCheck& contrast);

// One warning in words, naming the predictors ("Condition A and Condition B: r = 0.78").
std::string warningText(const DesignMatrix& design, const DesignCheck& check,
                        const CheckWarning& warning);

// The names of the predictors at `positions`: "A", "A and B", "A, B and C".
std::string listOfNames(const DesignCheck& check, const std::vector<std::size_t>& positions);

// The predictors a column correlates with most, with r: "B (0.81), C (-0.40)".
std::string partnersText(const DesignCheck& check, const ColumnCheck& column);

// "main" or "confound"; the kind of a column ("varying", "constant", "zero", "non-finite") and
// of a warning ("non-finite", "degrees-of-freedom", "dependency", "identical", "correlation",
// "vif"), as the TSV and JSON outputs name them.
const char* roleName(const ColumnCheck& column);
const char* kindName(ColumnKind kind);
const char* warningKindName(WarningKind kind);

}  // namespace duv
