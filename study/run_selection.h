#pragma once

// Which runs of a study to do: --only FIELD=VALUE[,VALUE...] (repeatable). A run is kept when,
// for every field selected, its value is among the values listed for it.

#include <string>
#include <vector>

namespace duv {

struct FieldSelection {
  std::string field;
  std::vector<std::string> values;  // labels (study/study_pattern.h), in the order given
  std::string option;               // the option's text, for messages
};

struct RunSelection {
  std::vector<FieldSelection> fields;  // in the order given, each field once; empty: every run

  bool empty() const { return fields.empty(); }
};

// Parses the texts of --only options. Throws std::invalid_argument naming the option text:
//   --only 'sub': expected FIELD=VALUE[,VALUE...]
//   --only 'su b=01': 'su b' is not a field name (letters, digits and '_')
//   --only 'sub=01,,02': an empty value
//   --only 'sub=0-1': '0-1' is not a label (letters and digits)
//   --only 'sub=02': field sub is selected twice; list its values in one --only
RunSelection parseRunSelection(const std::vector<std::string>& options);

// Where a study's fields come from, as messages name it.
enum class FieldSource { patterns, manifest };

// Throws std::invalid_argument unless every field selected is one of `known` (the patterns'
// fields, or a manifest's field columns):
//   --only 'ses=1': the patterns have no field ses (they have sub, task, run)
//   --only 'ses=1': the patterns have no field ses (they have none)
//   --only 'ses=1': the manifest has no field ses (it has sub, task)
void checkSelectedFields(const RunSelection& selection, const std::vector<std::string>& known,
                         FieldSource source = FieldSource::patterns);

// Whether a file whose fields `names` have `values` (one each) may belong to a selected run:
// every selected field among `names` has one of its listed values. Fields the file lacks do not
// count against it.
bool isSelected(const RunSelection& selection, const std::vector<std::string>& names,
                const std::vector<std::string>& values);

}  // namespace duv
