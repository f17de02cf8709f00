#include "study/run_selection.h"

#include <algorithm>
#include <stdexcept>
#include <string_view>

#include "design/text.h"
#include "study/study_pattern.h"

namespace duv {
namespace {

std::string contextOf(const std::string& option) { return "--only '" + option + "': "; }

FieldSelection parseOne(const std::string& option) {
  const auto context = contextOf(option);
  const auto equals = option.find('=');
  if (equals == std::string::npos) {
    throw std::invalid_argument(context + "expected FIELD=VALUE[,VALUE...]");
  }
  FieldSelection selection;
  selection.option = option;
  selection.field = option.substr(0, equals);
  if (!isFieldName(selection.field)) {
    throw std::invalid_argument(context + "'" + selection.field +
                                "' is not a field name (letters, digits and '_')");
  }
  // splitLines gives no last piece after a trailing comma; an empty value must still be refused.
  const std::string list = option.substr(equals + 1);
  if (list.empty() || list.back() == ',') throw std::invalid_argument(context + "an empty value");
  for (auto& value : splitLines(list, ',')) {
    if (value.empty()) throw std::invalid_argument(context + "an empty value");
    if (!isFieldLabel(value)) {
      throw std::invalid_argument(context + "'" + value + "' is not a label (letters and digits)");
    }
    selection.values.push_back(std::move(value));
  }
  return selection;
}

}  // namespace

RunSelection parseRunSelection(const std::vector<std::string>& options) {
  RunSelection selection;
  for (const auto& option : options) {
    auto field = parseOne(option);
    const bool again =
        std::any_of(selection.fields.begin(), selection.fields.end(),
                    [&](const FieldSelection& other) { return other.field == field.field; });
    if (again) {
      throw std::invalid_argument(contextOf(option) + "field " + field.field +
                                  " is selected twice; list its values in one --only");
    }
    selection.fields.push_back(std::move(field));
  }
  return selection;
}

void checkSelectedFields(const RunSelection& selection, const std::vector<std::string>& known,
                         FieldSource source) {
  const bool patterns = source == FieldSource::patterns;
  for (const auto& field : selection.fields) {
    if (std::find(known.begin(), known.end(), field.field) != known.end()) continue;
    throw std::invalid_argument(
        contextOf(field.option) + (patterns ? "the patterns have" : "the manifest has") +
        " no field " + field.field + (patterns ? " (they have " : " (it has ") +
        (known.empty() ? "none" : joined(known, ", ")) + ")");
  }
}

bool isSelected(const RunSelection& selection, const std::vector<std::string>& names,
                const std::vector<std::string>& values) {
  for (const auto& field : selection.fields) {
    const auto name = std::find(names.begin(), names.end(), field.field);
    if (name == names.end()) continue;
    const auto& value = values.at(static_cast<std::size_t>(name - names.begin()));
    if (std::find(field.values.begin(), field.values.end(), value) == field.values.end()) {
      return false;
    }
  }
  return true;
}

}  // namespace duv
