#pragma once

// The results of checking designs, as text for people and as TSV or JSON for scripts. The TSV
// columns and JSON keys are documented in docs/check-output.md and kept stable: new ones may be
// added, none is renamed or removed.
//
// Text:
//   a summary table, one row per file: file, status, residual degrees of freedom, the strongest
//   pair and the highest VIF; then, per file, a heading line with the status and the warning
//   counts, the counts and rank, one line per warning (worst first) and one line per predictor
//   (role, R², VIF, the three predictors it correlates with most).
// TSV: a header line, then one row per predictor of every readable file (one row with empty
//   predictor fields for a design without predictors, and for a file that cannot be read).
// JSON: one object with the thresholds and one entry per file.

#include <iosfwd>
#include <optional>
#include <string>
#include <vector>

#include "check/contrasts.h"
#include "check/design_check.h"
#include "check/motion_check.h"
#include "design/design_matrix.h"
#include "design/motion_summary.h"

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

// The worst level that counts toward a readable file's status: its design's warnings, its
// contrasts and its head motion; none when nothing counts.
std::optional<CheckLevel> levelOf(const CheckedFile& file);

// The status: "ok" when no warning counts toward it, else the worst counted level's name;
// "unreadable" for a file not read, "failed" for one read but not checked.
std::string statusOf(const CheckedFile& file);

// The warnings a reader is shown: those that count toward the status, or all with showAll.
std::vector<const CheckWarning*> shownWarnings(const DesignCheck& check, bool showAll);

// The findings among confounds alone in one line, e.g. "confounds: 70 pairs at |r| >= 0.70,
// 12 at |r| >= 0.40, highest VIF 815.0 (Drift cos 1); expected among nuisance terms"; none when
// there are none.
std::optional<std::string> confoundSummary(const DesignCheck& check,
                                           const CheckThresholds& thresholds);

// The worst warning level over all readable files; none when there are no warnings.
std::optional<CheckLevel> worstLevel(const CheckRun& run);

// A contrast's warning in words: "contrast \"F-H\": not estimable: it falls into the dependency
// of A, B and C" or "contrast \"F-H\": contrast VIF 12.3".
std::string contrastWarningText(const DesignCheck& check, const ContrastCheck& contrast);

// One warning in words, naming the predictors ("Condition A and Condition B: r = 0.78").
std::string warningText(const DesignMatrix& design, const DesignCheck& check,
                        const CheckWarning& warning);

// Shared by the writers: `value` with fixed decimals, locale-independent ("inf" when
// infinite), and the worst warning naming each predictor, by position.
std::string fixedDecimals(double value, int decimals);
// columnLevels: the worst warning naming each predictor, of all (countedOnly false) or of those
// that count toward the status. warningCount: the counted warnings of a level, head motion's
// among them.
std::vector<std::optional<CheckLevel>> columnLevels(const DesignCheck& check,
                                                    bool countedOnly = false);
std::size_t warningCount(const CheckedFile& file, CheckLevel level);

// The writers. Stream failures are left in the stream's state, not thrown.
void writeCheckText(const CheckRun& run, std::ostream& out);
void writeCheckTsv(const CheckRun& run, std::ostream& out);
void writeCheckJson(const CheckRun& run, std::ostream& out);

}  // namespace duv
