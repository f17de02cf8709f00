#pragma once

// The study's runs as one table: the columns group.tsv writes (study/group_tsv.h lists them)
// and group.html shows, one row per run, each cell as group.tsv writes it.

#include <optional>
#include <string>
#include <vector>

#include "study/run_record.h"

namespace duv {

// What a column holds, which tells the page how to show and sort it.
enum class GroupColumnKind {
  field,         // a pattern field's value
  name,          // the run's name
  status,        // ok, medium, high, error, failed, skipped
  count,         // a whole number
  vif,           // a variance inflation factor
  predictor,     // a predictor's name
  correlation,   // r, signed
  displacement,  // framewise displacement, mm
  contrastVif,   // a contrast's VIF, infinite when it is not estimable
  error,         // the first error's text
  reasons,       // why the run is not ok, "; " between
};

struct GroupColumn {
  std::string header;  // unique among the table's columns
  GroupColumnKind kind = GroupColumnKind::field;
  // The field's or contrast's own name for field and contrastVif columns (the header may carry
  // a suffix that keeps it unique); else the header as first chosen.
  std::string name;
};

struct GroupCell {
  std::string text;  // as group.tsv writes it (before tabs and line breaks become blanks);
                     // empty when the run lacks the value
  // Numbers' values; a status's severity from 0 (ok) to 4 (failed), 5 for skipped; nothing when
  // empty or text.
  std::optional<double> value;
};

struct GroupTable {
  std::vector<GroupColumn> columns;
  std::vector<std::vector<GroupCell>> rows;  // rows[run][column], runs in the order given
};

// The table of `runs`, in their order. A failed or skipped run has only its fields, name,
// status, first error and reasons; a contrast a run does not have is empty.
GroupTable groupTable(const std::vector<RunRecord>& runs);

}  // namespace duv
