#include "study/group_html.h"

#include <cmath>
#include <limits>
#include <map>
#include <optional>
#include <ostream>
#include <set>
#include <string>

#include "check/cell_text.h"
#include "check/page_kit.h"
#include "study/dot_plot.h"
#include "study/group_subjects.h"
#include "study/group_table.h"

namespace duv {
namespace {

using Kind = GroupColumnKind;

// --- headline ------------------------------------------------------------------------------

std::string plural(std::size_t count, const char* one, const char* many) {
  return std::to_string(count) + " " + (count == 1 ? one : many);
}

std::string counts(const std::vector<RunRecord>& runs, std::size_t unreadable) {
  std::map<CheckStatus, std::size_t> byStatus;
  std::size_t skipped = 0;
  for (const auto& run : runs) {
    if (run.skipped) {
      ++skipped;
    } else {
      ++byStatus[run.status];
    }
  }
  const std::size_t warned =
      byStatus[CheckStatus::medium] + byStatus[CheckStatus::high] + byStatus[CheckStatus::error];
  const auto chip = [](const char* status, const std::string& text) {
    return std::string("<span class=\"count ") + status + "\">" + text + "</span>";
  };
  std::string html = "<p class=\"counts\">" +
                     chip("ok", std::to_string(byStatus[CheckStatus::ok]) + " ok") +
                     chip("warned", std::to_string(warned) + " warned");
  if (warned > 0) {
    std::string parts;
    for (const auto level : {CheckStatus::medium, CheckStatus::high, CheckStatus::error}) {
      if (byStatus[level] == 0) continue;
      parts +=
          (parts.empty() ? "" : ", ") + std::to_string(byStatus[level]) + " " + statusName(level);
    }
    html += "<span class=\"parts\">(" + parts + ")</span>";
  }
  html += chip("failed", std::to_string(byStatus[CheckStatus::failed]) + " failed");
  if (skipped > 0) html += chip("skipped", std::to_string(skipped) + " skipped");
  if (unreadable > 0) {
    html += chip("unreadable", plural(unreadable, "record", "records") + " unreadable");
  }
  return html + "</p>";
}

std::string unreadableSection(const std::vector<std::string>& errors) {
  if (errors.empty()) return "";
  std::string html =
      "<section class=\"unreadable\"><h2>Run records that cannot be read</h2><p "
      "class=\"note\">Their runs are missing below; run them again.</p><ul>";
  for (const auto& error : errors) html += "<li>" + escapedHtml(error) + "</li>";
  return html + "</ul></section>";
}

// --- subjects ------------------------------------------------------------------------------

std::string motionSubjects(const GroupSubjects& subjects) {
  const auto named = subjectsFailingMotion(subjects);
  if (named.empty()) return "";
  std::string html = "<p class=\"motion-subjects\">Every run fails a motion rule: ";
  for (std::size_t i = 0; i < named.size(); ++i) {
    html += (i == 0 ? "<b>" : ", <b>") + escapedHtml(named[i]) + "</b>";
  }
  return html + "</p>";
}

std::string subjectsSection(const GroupSubjects& subjects) {
  if (subjects.field.empty()) return "";
  std::string html =
      "<h2>Subjects</h2><p class=\"note\">A subject is a run's <b>" + escapedHtml(subjects.field) +
      "</b> field.</p><div class=\"subjects\"><table class=\"subjects\"><tr><th>" +
      escapedHtml(subjects.field) +
      "</th><th class=\"num\">runs</th><th class=\"num\">ok</th><th class=\"num\">warned</th>"
      "<th class=\"num\">failed</th><th class=\"num\">skipped</th><th></th></tr>";
  const auto cell = [](std::size_t count) {
    return "<td class=\"num\">" + (count == 0 ? std::string() : std::to_string(count)) + "</td>";
  };
  for (const auto& subject : subjects.subjects) {
    html += std::string("<tr") + (subject.everyRunFailsMotion ? " class=\"motion\"" : "") +
            "><td>" + escapedHtml(subject.subject) + "</td>" + cell(subject.runs()) +
            cell(subject.ok) + cell(subject.warned) + cell(subject.failed) + cell(subject.skipped) +
            "<td>" + (subject.everyRunFailsMotion ? "every run fails a motion rule" : "") +
            "</td></tr>";
  }
  return html + "</table></div>\n";
}

// --- distributions -------------------------------------------------------------------------

// What names a run in the plots: its name, and its fields where another run has that name too.
std::vector<std::string> runLabels(const std::vector<RunRecord>& runs) {
  std::map<std::string, std::size_t> uses;
  for (const auto& run : runs) ++uses[run.name];
  std::vector<std::string> labels;
  labels.reserve(runs.size());
  for (const auto& run : runs) {
    std::string label = run.name;
    if (uses[run.name] > 1 && !run.fields.empty()) {
      std::string fields;
      for (const auto& [field, value] : run.fields) {
        fields += (fields.empty() ? "" : ", ") + field + " " + value;
      }
      label += " (" + fields + ")";
    }
    labels.push_back(std::move(label));
  }
  return labels;
}

// What tells the runs apart beside their dots: the values of the fields whose values differ
// between runs ("sub 03, run 2"), when no two runs share them; else the runs' labels. Either way
// shortened for the page (shortLabels), each run's in its place.
std::vector<std::string> runShortLabels(const std::vector<RunRecord>& runs,
                                        const std::vector<std::string>& labels) {
  std::vector<std::string> names;  // the fields in first-seen order
  std::map<std::string, std::set<std::string>> values;
  for (const auto& run : runs) {
    for (const auto& [field, value] : run.fields) {
      if (values.find(field) == values.end()) names.push_back(field);
      values[field].insert(value);
    }
  }
  std::vector<std::string> byFields;
  std::set<std::string> seen;
  bool apart = true;
  for (const auto& run : runs) {
    std::string label;
    for (const auto& name : names) {
      if (values[name].size() < 2) continue;  // the same for every run (that has it)
      for (const auto& [field, value] : run.fields) {
        if (field == name) label += (label.empty() ? "" : ", ") + field + " " + value;
      }
    }
    apart = apart && !label.empty() && seen.insert(label).second;
    byFields.push_back(std::move(label));
  }
  const auto& chosen = apart ? byFields : labels;
  const auto shortened = shortLabels(chosen, kLongestRunLabel);
  std::vector<std::string> shortLabels;
  shortLabels.reserve(chosen.size());
  for (const auto& label : chosen) shortLabels.push_back(shortened.at(label));
  return shortLabels;
}

template <typename ValueOf>
DotPlot plotOf(const std::vector<RunRecord>& runs, const std::vector<std::string>& labels,
               const std::vector<std::string>& shortLabels, ValueOf valueOf) {
  DotPlot plot;
  for (std::size_t i = 0; i < runs.size(); ++i) {
    const std::optional<double> value = valueOf(runs[i]);
    // Not a number, or -inf, is no value to draw.
    if (!value || std::isnan(*value) || *value == -std::numeric_limits<double>::infinity()) {
      ++plot.withoutValue;
      continue;
    }
    plot.runs.push_back(
        {*value, labels[i], shortLabels[i], urlOfPath(runs[i].checkPage), runs[i].status});
  }
  return plot;
}

std::string distributions(const std::vector<RunRecord>& runs, const GroupPageSettings& settings) {
  const auto labels = runLabels(runs);
  // One set of short labels for both plots: no two runs on the page share one.
  const auto shortened = runShortLabels(runs, labels);
  auto motion =
      plotOf(runs, labels, shortened, [](const RunRecord& run) { return run.meanDisplacement; });
  motion.figure = "mean-fd";
  motion.caption = "Mean framewise displacement (mm)";
  motion.unit = "mm";
  motion.decimals = 3;
  if (settings.meanDisplacementLimit && std::isfinite(*settings.meanDisplacementLimit)) {
    motion.limits.push_back(
        {*settings.meanDisplacementLimit,
         (settings.motionRule.empty() ? std::string("limit") : settings.motionRule + " rule") +
             ": " + significantDigits(*settings.meanDisplacementLimit) + " mm"});
  }
  auto vif = plotOf(runs, labels, shortened, [](const RunRecord& run) {
    return run.highestTaskVif ? std::optional<double>(run.highestTaskVif->second) : std::nullopt;
  });
  vif.figure = "task-vif";
  vif.caption = "Highest VIF of a task predictor";
  vif.logarithmic = true;
  vif.decimals = 2;
  std::string legend;
  for (const auto status :
       {CheckStatus::ok, CheckStatus::medium, CheckStatus::high, CheckStatus::error}) {
    const std::string name = statusName(status);
    legend += "<span class=\"dot " + name + "\"></span>" + name + " ";
  }
  return "<h2>Distributions</h2><p class=\"note\">A dot per run, in its status's colour: " +
         legend +
         "&middot; hover over a dot for its run, click it for the run's check page.</p>"
         "<div class=\"figures\">" +
         dotPlotFigure(motion) + dotPlotFigure(vif) + "</div>";
}

// --- table ---------------------------------------------------------------------------------

struct Heading {
  const char* label;
  const char* explanation;
};

Heading headingOf(const GroupColumn& column) {
  static const std::map<std::string, Heading> kHeadings = {
      {"name", {"run", "the run's primary file; opens its check page"}},
      {"status",
       {"status",
        "the run's check: ok, medium, high, error; failed: an error stopped it; skipped: an "
        "input is missing"}},
      {"data_points", {"data points", "of the merged design"}},
      {"predictors", {"predictors", "of the merged design"}},
      {"residual_df", {"residual df", "residual degrees of freedom"}},
      {"highest_task_vif", {"task VIF", "the highest VIF of a task predictor, and which"}},
      {"highest_task_vif_predictor", {"its predictor", "the task predictor of the highest VIF"}},
      {"strongest_task_confound_r",
       {"task ~ confound r",
        "the strongest correlation of a task predictor with a confound, and the two"}},
      {"task_predictor", {"task predictor", "of the strongest task ~ confound pair"}},
      {"confound", {"confound", "of the strongest task ~ confound pair"}},
      {"mean_fd", {"mean FD", "mean framewise displacement, mm"}},
      {"max_fd", {"max FD", "largest framewise displacement, mm"}},
      {"spikes", {"spikes", "volumes above the spike threshold"}},
      {"first_error", {"first error", "what stopped the run, or its first error"}},
      {"reasons", {"reasons", "why the run is not ok, most important first"}},
  };
  if (column.kind == Kind::field) return {nullptr, "pattern field"};
  if (column.kind == Kind::contrastVif) return {nullptr, "contrast VIF; infinite: not estimable"};
  const auto found = kHeadings.find(column.name);
  return found == kHeadings.end() ? Heading{nullptr, ""} : found->second;
}

bool isNumeric(Kind kind) {
  return kind == Kind::status || kind == Kind::count || kind == Kind::vif ||
         kind == Kind::correlation || kind == Kind::displacement || kind == Kind::contrastVif;
}

std::string headingCell(const GroupColumn& column) {
  const auto heading = headingOf(column);
  // A header made unique by a suffix is shown so, as group.tsv has it.
  std::string label = heading.label != nullptr && column.header == column.name
                          ? heading.label
                          : escapedHtml(column.header);
  if (column.kind == Kind::contrastVif) label = "<span class=\"pre\">cVIF</span> " + label;
  // Contrasts' names (long, without blanks) may break anywhere; other headings between words.
  std::string classes = isNumeric(column.kind) ? "num" : "";
  if (column.kind == Kind::contrastVif) classes += " named";
  return std::string("<th") + (classes.empty() ? "" : " class=\"" + classes + "\"") +
         " data-key=\"" + escapedHtml(column.header) + "\" title=\"" +
         escapedHtml(heading.explanation) + "\">" + label + "</th>";
}

// The sort key of a number for the page's script: Number() reads it back.
std::string sortValue(double value) {
  if (std::isinf(value)) return value > 0 ? "Infinity" : "-Infinity";
  return significantDigits(value);
}

std::string shownNumber(double value, Kind kind) {
  if (std::isinf(value)) return value > 0 ? "&#8734;" : "-&#8734;";
  switch (kind) {
    case Kind::count:
      return significantDigits(value);
    case Kind::displacement:
      return fixedDecimals(value, 3);
    default:
      return fixedDecimals(value, 2);
  }
}

// `below`: the names of the predictors a measure is of, shown under its number.
std::string cellHtml(const GroupCell& cell, const GroupColumn& column, const RunRecord& run,
                     const std::string& below = "") {
  if (cell.text.empty()) return "<td></td>";
  switch (column.kind) {
    case Kind::name:
      if (run.checkPage.empty()) return "<td class=\"name\">" + escapedHtml(cell.text) + "</td>";
      return "<td class=\"name\"><a href=\"" + escapedHtml(urlOfPath(run.checkPage)) + "\">" +
             escapedHtml(cell.text) + "</a></td>";
    case Kind::status:
      return "<td class=\"num\" data-v=\"" + sortValue(cell.value.value_or(0)) +
             "\"><span class=\"badge " + escapedHtml(cell.text) + "\">" + escapedHtml(cell.text) +
             "</span></td>";
    case Kind::error:
      return "<td class=\"error\" title=\"" + escapedHtml(cell.text) + "\">" +
             escapedHtml(cell.text) + "</td>";
    case Kind::reasons:
      return "<td class=\"reasons\">" + escapedHtml(cell.text) + "</td>";
    default:
      break;
  }
  if (!cell.value || std::isnan(*cell.value)) return "<td>" + escapedHtml(cell.text) + "</td>";
  if (!below.empty()) {
    return "<td class=\"num pair\" data-v=\"" + sortValue(*cell.value) + "\">" +
           shownNumber(*cell.value, column.kind) + "<span class=\"of\">" + escapedHtml(below) +
           "</span></td>";
  }
  return "<td class=\"num\" data-v=\"" + sortValue(*cell.value) + "\">" +
         shownNumber(*cell.value, column.kind) + "</td>";
}

// The columns of predictors' names that the page shows in the cell of their measure (under
// its number) rather than as columns of their own, so that the table fits a window's width:
// by the measure's column, the positions of its predictors' columns.
std::map<std::size_t, std::vector<std::size_t>> companionsOf(const GroupTable& table) {
  const auto find = [&](const char* name, Kind kind) -> std::optional<std::size_t> {
    for (std::size_t c = 0; c < table.columns.size(); ++c) {
      if (table.columns[c].kind == kind && table.columns[c].name == name) return c;
    }
    return std::nullopt;
  };
  std::map<std::size_t, std::vector<std::size_t>> companions;
  const auto vif = find("highest_task_vif", Kind::vif);
  const auto predictor = find("highest_task_vif_predictor", Kind::predictor);
  if (vif && predictor) companions[*vif] = {*predictor};
  const auto r = find("strongest_task_confound_r", Kind::correlation);
  const auto task = find("task_predictor", Kind::predictor);
  const auto confound = find("confound", Kind::predictor);
  if (r && task && confound) companions[*r] = {*task, *confound};
  return companions;
}

std::string runsTable(const std::vector<RunRecord>& runs) {
  const auto table = groupTable(runs);
  std::string html =
      "<h2>Runs</h2><p class=\"note\">Click a column's heading to sort by it, again for the other "
      "way; empty cells stay last. The name of a run opens its check page.</p>"
      "<table class=\"runs\" id=\"runs\" data-figure=\"runs\"><thead><tr>";
  const auto companions = companionsOf(table);
  std::vector<bool> shown(table.columns.size(), true);
  for (const auto& [measure, names] : companions) {
    for (const auto c : names) shown[c] = false;
  }
  for (std::size_t c = 0; c < table.columns.size(); ++c) {
    if (shown[c]) html += headingCell(table.columns[c]);
  }
  html += "</tr></thead><tbody>";
  for (std::size_t r = 0; r < table.rows.size(); ++r) {
    html += "<tr class=\"" + std::string(runStatusName(runs[r])) + "\" data-i=\"" +
            std::to_string(r) + "\">";
    for (std::size_t c = 0; c < table.columns.size(); ++c) {
      if (!shown[c]) continue;
      std::string below;
      if (const auto found = companions.find(c); found != companions.end()) {
        for (const auto name : found->second) {
          const auto& text = table.rows[r][name].text;
          if (!text.empty()) below += (below.empty() ? "" : " ~ ") + text;
        }
      }
      html += cellHtml(table.rows[r][c], table.columns[c], runs[r], below);
    }
    html += "</tr>\n";
  }
  return html + "</tbody></table>";
}

// --- page ----------------------------------------------------------------------------------

// After the kit's base rules (check/page_kit.h).
constexpr const char* kStyle = R"(
p.counts { margin: 6px 0 2px; }
.count { display: inline-block; font-size: 13px; padding: 2px 10px; margin-right: 8px;
         border-radius: 11px; color: #fff; background: #3a7d44; }
.count.warned { background: #c98a00; } .count.failed { background: #7a0c1e; }
.count.unreadable { background: #555; } .count.skipped { background: #6c757d; }
.parts { font-size: 12px; color: #555; margin-right: 10px; }
.badge { font-size: 11px; padding: 0 7px; border-radius: 8px; color: #fff; background: #3a7d44; }
.badge.medium { background: #a86c00; } .badge.high { background: #d9480f; }
.badge.error { background: #c0152f; } .badge.failed { background: #7a0c1e; }
.badge.skipped { background: #6c757d; }
section.unreadable { border-left: 5px solid #c0152f; background: #fbeef0; padding: 2px 14px;
                     margin: 12px 0; }
section.unreadable h2 { border: 0; padding: 0; margin: 10px 0 2px; font-size: 15px; }
section.unreadable li { font-size: 12px; font-family: "DejaVu Sans Mono", Consolas, monospace; }
.dot { display: inline-block; width: 9px; height: 9px; border-radius: 50%; margin: 0 3px 0 6px;
       background: #3a7d44; vertical-align: -1px; }
.dot.medium { background: #c98a00; } .dot.high { background: #d9480f; }
.dot.error { background: #c0152f; }
.figures { display: flex; flex-wrap: wrap; gap: 18px 48px; align-items: flex-start; }
figure { margin: 6px 0; }
figure.distribution { width: 560px; }
figcaption { font-weight: bold; margin-bottom: 4px; }
svg text { font-family: inherit; }
svg .axis { font-size: 11px; fill: #444; }
svg .axis-line { stroke: #888; }
svg .grid { stroke: #ececec; }
svg .band { fill: #f8eef0; }
svg .box { fill: #dde6f1; stroke: #4f6684; }
svg .median { stroke: #1d3557; stroke-width: 2; }
svg .whisker { stroke: #4f6684; }
svg .fence { stroke: #c0152f; stroke-dasharray: 5 3; }
svg .fence-label { font-size: 10px; fill: #c0152f; paint-order: stroke; stroke: #fff;
                   stroke-width: 3px; }
svg circle { fill-opacity: 0.8; }
svg circle.outlier { fill-opacity: 1; stroke: #222; stroke-width: 1; }
svg .leader { stroke: #aaa; stroke-width: 0.8; }
svg .label { font-size: 11px; fill: #222; }
svg .label .value, svg .more { fill: #666; }
p.outliers { font-size: 12px; margin: 6px 0 0; font-weight: bold; }
p.outliers.none { font-weight: normal; color: #555; }
ol.outliers { font-size: 12px; margin: 2px 0; padding-left: 28px; columns: 2; column-gap: 24px; }
ol.outliers .value { color: #666; }
p.motion-subjects { border-left: 5px solid #d9480f; background: #fdf0e8; padding: 6px 12px;
                    margin: 10px 0; }
div.subjects { display: inline-block; max-height: 320px; overflow-y: auto; }
table.subjects { border-collapse: collapse; font-size: 12px; }
table.subjects th { background: #eef1f5; border-bottom: 2px solid #b8c0cc; padding: 3px 8px;
                    text-align: left; position: sticky; top: 0; }
table.subjects td { padding: 2px 8px; border-bottom: 1px solid rgba(0, 0, 0, 0.07); }
table.subjects .num { text-align: right; }
table.subjects tr.motion { background: #fde9de; font-weight: bold; }
svg .limit { stroke: #7a0c1e; stroke-width: 1.5; }
svg .limit-label { font-size: 10px; fill: #7a0c1e; paint-order: stroke; stroke: #fff;
                   stroke-width: 3px; }
table.runs { border-collapse: collapse; font-size: 12px; width: 100%; }
table.runs th { position: sticky; top: 0; background: #eef1f5; border-bottom: 2px solid #b8c0cc;
                padding: 4px 4px; text-align: left; vertical-align: bottom; max-width: 84px;
                font-size: 11px; hyphens: auto; overflow-wrap: break-word; cursor: pointer;
                user-select: none; }
table.runs th.named { overflow-wrap: anywhere; }
table.runs th:hover { background: #e0e6ee; }
table.runs th[aria-sort=ascending]::after { content: " \25B2"; font-size: 9px; }
table.runs th[aria-sort=descending]::after { content: " \25BC"; font-size: 9px; }
table.runs th .pre { color: #777; font-weight: normal; }
table.runs td { padding: 2px 4px; border-bottom: 1px solid rgba(0, 0, 0, 0.07);
                vertical-align: top; }
table.runs .num { text-align: right; font-variant-numeric: tabular-nums; }
table.runs td.num { white-space: nowrap; }
table.runs td.pair { min-width: 84px; }
table.runs .of { display: block; white-space: normal; overflow-wrap: anywhere; font-size: 11px;
                 color: #555; text-align: left; }
table.runs td.name { min-width: 130px; overflow-wrap: anywhere; }
table.runs td.error { min-width: 150px; overflow-wrap: anywhere; }
table.runs td.reasons { min-width: 190px; overflow-wrap: anywhere; }
table.runs tr.ok { background: #eef7ef; } table.runs tr.medium { background: #fdf4dc; }
table.runs tr.high { background: #fde9de; } table.runs tr.error { background: #fbe2e6; }
table.runs tr.failed { background: #f0cfd5; } table.runs tr.skipped { background: #eceef0; }
table.runs tr > td:first-child { border-left: 4px solid #3a7d44; }
table.runs tr.medium > td:first-child { border-left-color: #e0a526; }
table.runs tr.high > td:first-child { border-left-color: #d9480f; }
table.runs tr.error > td:first-child { border-left-color: #c0152f; }
table.runs tr.failed > td:first-child { border-left-color: #7a0c1e; }
table.runs tr.skipped > td:first-child { border-left-color: #6c757d; }
table.runs tbody tr:hover { filter: brightness(0.95); }
a { color: #1f5fa8; }
)";

// Sorts the table by the clicked heading; the fragment "#sort=KEY" or "#sort=-KEY" clicks it
// when the page opens.
constexpr const char* kSortScript = R"(<script>
(function () {
  var table = document.getElementById('runs');
  if (!table) return;
  var body = table.tBodies[0];
  var headings = Array.prototype.slice.call(table.tHead.rows[0].cells);
  var collator = new Intl.Collator('en', {numeric: true});
  function keyOf(cell, numeric) {
    if (numeric) {
      var value = cell.getAttribute('data-v');
      return value === null ? null : Number(value);
    }
    return cell.textContent === '' ? null : cell.textContent;
  }
  function sortBy(heading, descending) {
    var column = headings.indexOf(heading);
    var numeric = heading.classList.contains('num');
    var rows = Array.prototype.map.call(body.rows, function (row) {
      return {key: keyOf(row.cells[column], numeric), row: row};
    });
    rows.sort(function (a, b) {
      if (a.key === null || b.key === null) return (a.key === null) - (b.key === null);
      var order = numeric ? (a.key < b.key ? -1 : (a.key > b.key ? 1 : 0))
                          : collator.compare(a.key, b.key);
      return descending ? -order : order;
    });
    var sorted = document.createDocumentFragment();
    rows.forEach(function (entry) { sorted.appendChild(entry.row); });
    body.appendChild(sorted);
    headings.forEach(function (other) { other.removeAttribute('aria-sort'); });
    heading.setAttribute('aria-sort', descending ? 'descending' : 'ascending');
    var key = heading.getAttribute('data-key');
    table.setAttribute('data-sorted', (descending ? '-' : '') + key);
    history.replaceState(null, '', '#sort=' + (descending ? '-' : '') + encodeURIComponent(key));
  }
  headings.forEach(function (heading) {
    heading.addEventListener('click', function () {
      sortBy(heading, heading.getAttribute('aria-sort') === 'ascending');
    });
  });
  var asked = /^#sort=(-?)(.+)$/.exec(location.hash);
  if (!asked) return;
  var key = decodeURIComponent(asked[2]);
  var heading = headings.filter(function (h) { return h.getAttribute('data-key') === key; })[0];
  if (!heading) return;
  heading.click();
  if (asked[1] === '-') heading.click();
})();
</script>)";

}  // namespace

void writeGroupHtml(const std::vector<RunRecord>& runs,
                    const std::vector<std::string>& unreadableRecords, std::ostream& out,
                    const GroupPageSettings& settings) {
  const std::string title = "Study check: " + plural(runs.size(), "run", "runs");
  const auto subjects = groupSubjects(runs);
  out << pageStart(title, PageSpacing{6, 26}, kStyle) << counts(runs, unreadableRecords.size())
      << motionSubjects(subjects)
      << "<p class=\"note\">A run's status is its design check's: error &gt; high &gt; medium "
         "&gt; ok; warned runs are medium, high or error; failed runs stopped on an error; "
         "skipped runs lack an input. In the distributions, runs above Tukey's upper fence (Q3 + "
         "1.5 &times; the interquartile range) are named; a solid line is the motion rule's own "
         "limit, which holds however many runs moved.</p>\n"
      << unreadableSection(unreadableRecords) << subjectsSection(subjects)
      << distributions(runs, settings) << '\n'
      << runsTable(runs) << '\n'
      << kSortScript << pageEnd(PageDrawn::figuresSized);
}

}  // namespace duv
