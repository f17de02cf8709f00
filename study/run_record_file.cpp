#include "study/run_record_file.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <initializer_list>
#include <limits>
#include <nlohmann/json.hpp>
#include <ostream>
#include <stdexcept>
#include <string_view>
#include <utility>

#include "design/bounded_read.h"
#include "design/paths.h"
#include "study/run_record_format.h"

namespace duv {
namespace {

namespace format = run_record_format;
using Json = nlohmann::ordered_json;

// --- writing -------------------------------------------------------------------------------

// Well-formed UTF-8 as JSON (and nlohmann's strict dump) requires it: no overlong forms, no
// surrogates, nothing above U+10FFFF.
bool isUtf8(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size()) {
    const auto lead = static_cast<unsigned char>(text[i]);
    std::size_t length = 0;
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    if (lead < 0x80) {
      ++i;
      continue;
    }
    if (lead >= 0xC2 && lead <= 0xDF) {
      length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
      length = 3;
      if (lead == 0xE0) low = 0xA0;   // overlong
      if (lead == 0xED) high = 0x9F;  // surrogates
    } else if (lead >= 0xF0 && lead <= 0xF4) {
      length = 4;
      if (lead == 0xF0) low = 0x90;   // overlong
      if (lead == 0xF4) high = 0x8F;  // above U+10FFFF
    } else {
      return false;
    }
    if (text.size() - i < length) return false;
    for (std::size_t k = 1; k < length; ++k) {
      const auto next = static_cast<unsigned char>(text[i + k]);
      const unsigned char from = k == 1 ? low : 0x80;
      const unsigned char to = k == 1 ? high : 0xBF;
      if (next < from || next > to) return false;
    }
    i += length;
  }
  return true;
}

Json textJson(const std::string& text) {
  if (isUtf8(text)) return text;
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string hex;
  hex.reserve(text.size() * 2);
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    hex += kDigits[byte >> 4];
    hex += kDigits[byte & 15];
  }
  Json object;
  object[format::kHexText] = std::move(hex);
  return object;
}

Json numberJson(double value) {
  if (std::isnan(value)) return format::kNotANumber;
  if (std::isinf(value)) return value > 0 ? format::kInfinity : format::kNegativeInfinity;
  return value;
}

template <typename T, typename Convert>
Json optionalJson(const std::optional<T>& value, Convert convert) {
  return value ? convert(*value) : Json(nullptr);
}

Json textsJson(const std::vector<std::string>& texts) {
  Json array = Json::array();
  for (const auto& text : texts) array.push_back(textJson(text));
  return array;
}

Json recordJson(const RunRecord& record) {
  Json json;
  json["schema"] = format::kSchema;
  json["name"] = textJson(record.name);
  Json fields = Json::array();
  for (const auto& [field, value] : record.fields) {
    fields.push_back(Json::array({textJson(field), textJson(value)}));
  }
  json["fields"] = std::move(fields);
  json["primary"] = textJson(record.primary);
  json["confounds"] = textsJson(record.confounds);
  json["tool_version"] = textJson(record.toolVersion);
  json["options"] = textJson(record.options);
  Json inputs = Json::array();
  for (const auto& input : record.inputs) {
    Json entry;
    entry["path"] = textJson(input.path);
    entry["size"] = input.size;
    entry["modified_ns"] = input.modifiedNs;
    inputs.push_back(std::move(entry));
  }
  json["inputs"] = std::move(inputs);
  json["outputs"] = textsJson(record.outputs);
  json["check_page"] = textJson(record.checkPage);
  json["status"] = runStatusName(record);
  json["first_error"] = optionalJson(record.firstError, textJson);
  json["reasons"] = textsJson(record.reasons);
  json["data_points"] = record.dataPoints;
  json["predictors"] = record.predictors;
  json["residual_df"] = record.residualDegreesOfFreedom;
  json["highest_task_vif"] =
      optionalJson(record.highestTaskVif, [](const std::pair<std::string, double>& highest) {
        Json entry;
        entry["predictor"] = textJson(highest.first);
        entry["vif"] = numberJson(highest.second);
        return entry;
      });
  json["strongest_task_confound"] =
      optionalJson(record.strongestTaskConfound, [](const RunRecord::Pair& pair) {
        Json entry;
        entry["task"] = textJson(pair.task);
        entry["confound"] = textJson(pair.confound);
        entry["r"] = numberJson(pair.r);
        return entry;
      });
  json["mean_fd"] = optionalJson(record.meanDisplacement, numberJson);
  json["max_fd"] = optionalJson(record.maxDisplacement, numberJson);
  json["spikes"] = optionalJson(record.spikes, [](std::size_t spikes) { return Json(spikes); });
  json["motion_rule_failed"] = record.failedMotionRule;
  Json contrasts = Json::array();
  for (const auto& contrast : record.contrasts) {
    Json entry;
    entry["name"] = textJson(contrast.name);
    entry["estimable"] = contrast.estimable;
    entry["vif"] = numberJson(contrast.vif);
    contrasts.push_back(std::move(entry));
  }
  json["contrasts"] = std::move(contrasts);
  return json;
}

// --- reading -------------------------------------------------------------------------------

// Reads the parts of one parsed record, naming the file and the key in its errors.
class RecordReader {
 public:
  explicit RecordReader(const std::string& path) : path_(path) {}

  [[noreturn]] void fail(const std::string& where, const std::string& what) const {
    throw std::runtime_error(path_ + ": " + (where.empty() ? "" : where + ": ") + what);
  }

  // `json` as an object of exactly these keys, but for those of `optional` that it lacks.
  void expectKeys(const Json& json, std::initializer_list<const char*> keys,
                  const std::string& where,
                  std::initializer_list<const char*> optional = {}) const {
    if (!json.is_object()) fail(where, "expected an object");
    for (const char* key : keys) {
      const bool mayLack = std::any_of(optional.begin(), optional.end(), [key](const char* other) {
        return std::string_view(other) == key;
      });
      if (!json.contains(key) && !mayLack) {
        fail(where, "missing key \"" + std::string(key) + "\"");
      }
    }
    for (const auto& item : json.items()) {
      if (std::none_of(keys.begin(), keys.end(),
                       [&](const char* key) { return item.key() == key; })) {
        fail(where, "unknown key \"" + item.key() + "\"");
      }
    }
  }

  std::string text(const Json& json, const std::string& where) const {
    if (json.is_string()) return json.get<std::string>();
    if (!json.is_object() || json.size() != 1 || !json.contains(format::kHexText) ||
        !json[format::kHexText].is_string()) {
      fail(where, "expected a text");
    }
    return fromHex(json[format::kHexText].get<std::string>(), where);
  }

  std::vector<std::string> texts(const Json& json, const std::string& where) const {
    if (!json.is_array()) fail(where, "expected a list of texts");
    std::vector<std::string> texts;
    for (std::size_t i = 0; i < json.size(); ++i) texts.push_back(text(json[i], at(where, i)));
    return texts;
  }

  double number(const Json& json, const std::string& where) const {
    if (json.is_number()) return json.get<double>();
    if (json == format::kInfinity) return std::numeric_limits<double>::infinity();
    if (json == format::kNegativeInfinity) return -std::numeric_limits<double>::infinity();
    if (json == format::kNotANumber) return std::numeric_limits<double>::quiet_NaN();
    fail(where, "expected a number");
  }

  std::uint64_t unsignedNumber(const Json& json, const std::string& where) const {
    if (!json.is_number_unsigned()) fail(where, "expected a whole number from 0");
    return json.get<std::uint64_t>();
  }

  std::size_t count(const Json& json, const std::string& where) const {
    const auto value = unsignedNumber(json, where);
    if (value > std::numeric_limits<std::size_t>::max()) fail(where, "too large");
    return static_cast<std::size_t>(value);
  }

  std::int64_t signedNumber(const Json& json, const std::string& where) const {
    if (json.is_number_unsigned() &&
        json.get<std::uint64_t>() >
            static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max())) {
      fail(where, "too large");
    }
    if (!json.is_number_integer()) fail(where, "expected a whole number");
    return json.get<std::int64_t>();
  }

  bool boolean(const Json& json, const std::string& where) const {
    if (!json.is_boolean()) fail(where, "expected true or false");
    return json.get<bool>();
  }

  static std::string at(const std::string& where, std::size_t index) {
    return where + "[" + std::to_string(index) + "]";
  }

  static std::string member(const std::string& where, const char* key) {
    return where.empty() ? key : where + "." + key;
  }

 private:
  std::string fromHex(const std::string& hex, const std::string& where) const {
    const auto digit = [](char c) -> int {
      if (c >= '0' && c <= '9') return c - '0';
      if (c >= 'a' && c <= 'f') return c - 'a' + 10;
      return -1;
    };
    if (hex.size() % 2 != 0) fail(where, "expected an even number of hex digits");
    std::string bytes;
    for (std::size_t i = 0; i < hex.size(); i += 2) {
      const int high = digit(hex[i]);
      const int low = digit(hex[i + 1]);
      if (high < 0 || low < 0) fail(where, "expected lowercase hex digits");
      bytes += static_cast<char>(high * 16 + low);
    }
    return bytes;
  }

  const std::string& path_;
};

// The record's keys, in the order of the file.
constexpr std::initializer_list<const char*> kRecordKeys = {
    "schema",           "name",
    "fields",           "primary",
    "confounds",        "tool_version",
    "options",          "inputs",
    "outputs",          "check_page",
    "status",           "first_error",
    "reasons",          "data_points",
    "predictors",       "residual_df",
    "highest_task_vif", "strongest_task_confound",
    "mean_fd",          "max_fd",
    "spikes",           "motion_rule_failed",
    "contrasts",
};

Json parsedJson(const std::string& text, const std::string& path) {
  if (text.find_first_not_of(" \t\r\n") == std::string::npos) {
    throw std::runtime_error(path + ": empty");
  }
  try {
    return Json::parse(text);
  } catch (const Json::parse_error& error) {
    // error.byte counts from 1; past the text's end when the text stopped in the middle.
    const auto before = std::min<std::size_t>(error.byte > 0 ? error.byte - 1 : 0, text.size());
    const auto line =
        1 + std::count(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(before), '\n');
    throw std::runtime_error(path + ", line " + std::to_string(line) + ": " +
                             (error.byte > text.size() ? "ends early" : "not valid JSON"));
  } catch (const Json::exception&) {
    // A number beyond the range of double.
    throw std::runtime_error(path + ": not valid JSON (a number out of range)");
  }
}

RunRecord recordOf(const Json& json, const RecordReader& read) {
  if (!json.is_object() || !json.contains("schema")) {
    read.fail("", "not a run record (no \"schema\": \"" + std::string(format::kSchema) + "\")");
  }
  if (json["schema"] != format::kSchema) {
    const auto& schema = json["schema"];
    read.fail("", "a record of schema " +
                      schema.dump(-1, ' ', false, Json::error_handler_t::replace) + ", not \"" +
                      format::kSchema + "\"");
  }
  // Records written before runs kept their reasons lack these.
  read.expectKeys(json, kRecordKeys, "", {"reasons", "motion_rule_failed"});

  RunRecord record;
  record.name = read.text(json["name"], "name");
  const auto& fields = json["fields"];
  if (!fields.is_array()) read.fail("fields", "expected a list of [name, value] pairs");
  for (std::size_t i = 0; i < fields.size(); ++i) {
    const auto where = RecordReader::at("fields", i);
    if (!fields[i].is_array() || fields[i].size() != 2) read.fail(where, "expected [name, value]");
    record.fields.emplace_back(read.text(fields[i][0], where + "[0]"),
                               read.text(fields[i][1], where + "[1]"));
  }
  record.primary = read.text(json["primary"], "primary");
  record.confounds = read.texts(json["confounds"], "confounds");
  record.toolVersion = read.text(json["tool_version"], "tool_version");
  record.options = read.text(json["options"], "options");
  const auto& inputs = json["inputs"];
  if (!inputs.is_array()) read.fail("inputs", "expected a list");
  for (std::size_t i = 0; i < inputs.size(); ++i) {
    const auto where = RecordReader::at("inputs", i);
    read.expectKeys(inputs[i], {"path", "size", "modified_ns"}, where);
    record.inputs.push_back({read.text(inputs[i]["path"], where + ".path"),
                             read.unsignedNumber(inputs[i]["size"], where + ".size"),
                             read.signedNumber(inputs[i]["modified_ns"], where + ".modified_ns")});
  }
  record.outputs = read.texts(json["outputs"], "outputs");
  record.checkPage = read.text(json["check_page"], "check_page");
  const auto& status = json["status"];
  record.skipped = status == format::kSkipped;
  const auto named = record.skipped       ? std::optional(CheckStatus::failed)
                     : status.is_string() ? statusNamed(status.get<std::string>())
                                          : std::nullopt;
  if (!named || !format::severityOf(*named)) {
    read.fail("status", "expected ok, medium, high, error, failed or skipped");
  }
  record.status = *named;
  if (!json["first_error"].is_null()) {
    record.firstError = read.text(json["first_error"], "first_error");
  }
  if (json.contains("reasons")) record.reasons = read.texts(json["reasons"], "reasons");
  record.dataPoints = read.count(json["data_points"], "data_points");
  record.predictors = read.count(json["predictors"], "predictors");
  record.residualDegreesOfFreedom = read.signedNumber(json["residual_df"], "residual_df");
  if (const auto& highest = json["highest_task_vif"]; !highest.is_null()) {
    read.expectKeys(highest, {"predictor", "vif"}, "highest_task_vif");
    record.highestTaskVif.emplace(read.text(highest["predictor"], "highest_task_vif.predictor"),
                                  read.number(highest["vif"], "highest_task_vif.vif"));
  }
  if (const auto& pair = json["strongest_task_confound"]; !pair.is_null()) {
    const std::string where = "strongest_task_confound";
    read.expectKeys(pair, {"task", "confound", "r"}, where);
    record.strongestTaskConfound = RunRecord::Pair{read.text(pair["task"], where + ".task"),
                                                   read.text(pair["confound"], where + ".confound"),
                                                   read.number(pair["r"], where + ".r")};
  }
  if (!json["mean_fd"].is_null()) record.meanDisplacement = read.number(json["mean_fd"], "mean_fd");
  if (!json["max_fd"].is_null()) record.maxDisplacement = read.number(json["max_fd"], "max_fd");
  if (!json["spikes"].is_null()) record.spikes = read.count(json["spikes"], "spikes");
  if (json.contains("motion_rule_failed")) {
    record.failedMotionRule = read.boolean(json["motion_rule_failed"], "motion_rule_failed");
  }
  const auto& contrasts = json["contrasts"];
  if (!contrasts.is_array()) read.fail("contrasts", "expected a list");
  for (std::size_t i = 0; i < contrasts.size(); ++i) {
    const auto where = RecordReader::at("contrasts", i);
    read.expectKeys(contrasts[i], {"name", "estimable", "vif"}, where);
    record.contrasts.push_back({read.text(contrasts[i]["name"], where + ".name"),
                                read.boolean(contrasts[i]["estimable"], where + ".estimable"),
                                read.number(contrasts[i]["vif"], where + ".vif")});
  }
  return record;
}

}  // namespace

std::string runRecordFileName(const std::string& runName) {
  return pathWithoutExtension(runName) + format::kFileSuffix;
}

std::string runRecordText(const RunRecord& record) {
  if (!format::severityOf(record.status)) {
    throw std::invalid_argument("run " + record.name +
                                ": no such status: " + statusName(record.status));
  }
  return recordJson(record).dump(2) + "\n";
}

RunRecord parseRunRecord(const std::string& text, const std::string& path) {
  const RecordReader reader(path);
  return recordOf(parsedJson(text, path), reader);
}

void writeRunRecord(FileSystem& files, const std::string& path, const RunRecord& record) {
  const auto text = runRecordText(record);
  writeFile(files, path, [&](std::ostream& out) { out << text; });
}

RunRecord readRunRecord(FileSystem& files, const std::string& path) {
  return parseRunRecord(readBoundedFile(files, path, kRunRecordLimit), path);
}

}  // namespace duv
