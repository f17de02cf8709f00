#include "check/check_html.h"

#include <algorithm>
#include <cmath>
#include <ostream>
#include <string>
#include <vector>

#include "check/cell_text.h"
#include "check/check_figures.h"
#include "check/check_reasons.h"
#include "check/page_kit.h"

namespace duv {
namespace {

constexpr std::size_t kLargestListedWarnings = 200;

std::string badge(CheckStatus status) {
  const std::string name = statusName(status);
  return "<span class=\"badge " + name + "\">" + name + "</span>";
}

std::string warningsList(const CheckedFile& file, const std::vector<const CheckWarning*>& warnings,
                         const std::string& none) {
  if (warnings.empty()) return none;
  std::string html = "<ul class=\"warnings\">";
  for (std::size_t i = 0; i < warnings.size() && i < kLargestListedWarnings; ++i) {
    const char* level = levelName(warnings[i]->level);
    html += std::string("<li class=\"") + level + "\"><b>" + level + "</b> " +
            escapedHtml(warningText(file.design, file.check, *warnings[i])) + "</li>";
  }
  if (warnings.size() > kLargestListedWarnings) {
    html += "<li>... and " + std::to_string(warnings.size() - kLargestListedWarnings) +
            " more (all of them in the JSON output)</li>";
  }
  return html + "</ul>";
}

// The findings among confounds alone, folded away under their summary line.
std::string confoundFindings(const CheckedFile& file, const CheckThresholds& thresholds) {
  const auto summary = confoundSummary(file.check, thresholds);
  if (!summary) return "";
  std::vector<const CheckWarning*> uncounted;
  for (const auto& warning : file.check.warnings) {
    if (!warning.counted) uncounted.push_back(&warning);
  }
  return "<details class=\"confounds\"><summary>" + escapedHtml(*summary) + "</summary>" +
         warningsList(file, uncounted, "") + "</details>";
}

// The varying columns that are task predictors, and those that are not.
std::vector<std::size_t> varyingWhere(const DesignCheck& check, bool task) {
  std::vector<std::size_t> positions;
  for (const std::size_t p : check.varying) {
    if (check.columns[p].task == task) positions.push_back(p);
  }
  return positions;
}

std::string facts(const DesignCheck& check) {
  return "<p class=\"facts\">" + std::to_string(check.dataPoints) + " data points &middot; " +
         std::to_string(check.predictors()) + " predictors (" +
         std::to_string(check.mainPredictors) + " main, " + std::to_string(check.confounds) +
         " confounds, " + std::to_string(check.constants) + " constant) &middot; rank " +
         std::to_string(check.rank) + " of " + std::to_string(check.predictors()) +
         " &middot; residual degrees of freedom " + std::to_string(check.residualDegreesOfFreedom) +
         " &middot; condition number " +
         (std::isinf(check.conditionNumber) ? std::string("&#8734;")
                                            : fixedDecimals(check.conditionNumber, 1)) +
         "</p>";
}

// --- contrasts -----------------------------------------------------------------------------

std::string contrastsTable(const CheckedFile& file) {
  std::string html =
      "<table class=\"contrasts\" data-figure=\"contrasts\"><tr><th>contrast</th>"
      "<th>expression</th><th>estimable</th><th>contrast VIF</th><th>efficiency</th>"
      "<th>level</th></tr>";
  for (std::size_t i = 0; i < file.contrasts.size(); ++i) {
    const auto& contrast = file.contrasts[i];
    const auto level = statusOfLevel(contrast.level);
    html += "<tr><td>" + escapedHtml(contrast.name) + "</td><td><code>" +
            escapedHtml(file.contrastDefinitions[i].expression) + "</code></td><td>" +
            (contrast.estimable() ? "yes" : "no") + "</td><td>" +
            (contrast.estimable() ? fixedDecimals(contrast.vif, 2) : "&#8734;") + "</td><td>" +
            (contrast.estimable() ? fixedDecimals(contrast.efficiency, 3) : "") + "</td><td>" +
            badge(level) + "</td></tr>";
  }
  return html +
         "</table><p class=\"legend\">Contrast VIF: how much the correlations inflate the "
         "variance of the contrast of standardised coefficients, against uncorrelated "
         "predictors. Efficiency 1 / c(X&#7488;X)&#8314;c&#7488; depends on the predictors' "
         "scale: compare it between designs of the same scaling only.</p>";
}

std::string fileSection(const CheckedFile& file, std::size_t index, const CheckRun& run,
                        const PredictorLabels& labels) {
  const auto& thresholds = run.thresholds;
  const bool showAll = run.showAll;
  const std::string id = "file-" + std::to_string(index + 1);
  std::string html = "<section id=\"" + id + "\"><h2>" + escapedHtml(file.path) + " " +
                     badge(statusOf(file)) + "</h2>";
  if (file.readError) {
    return html + "<p class=\"unreadable\">Cannot be read: " + escapedHtml(*file.readError) +
           "</p></section>";
  }
  const auto& check = file.check;
  // Why, before the details: what a reader acts on. Styled in place, so that the pages of
  // designs without reasons stay as they were.
  if (const auto reasons = reasonsOf(file, run); !reasons.empty()) {
    html += "<ul class=\"reasons\" style=\"margin:6px 0 10px;font-weight:bold\">";
    for (const auto& reason : reasons) html += "<li>" + escapedHtml(reason) + "</li>";
    html += "</ul>";
  }
  html += facts(check);
  // The contrasts' and head motion's warnings follow the design's own.
  std::string besides;
  const auto item = [](CheckLevel level, const std::string& text) {
    const char* name = levelName(level);
    return std::string("<li class=\"") + name + "\"><b>" + name + "</b> " + escapedHtml(text) +
           "</li>";
  };
  for (const auto& contrast : file.contrasts) {
    if (contrast.level) besides += item(*contrast.level, contrastWarningText(check, contrast));
  }
  if (const auto level = file.motion ? levelOf(*file.motion) : std::nullopt) {
    besides += item(*level, motionWarningText(*file.motion, run.motion));
  }
  const auto shown = shownWarnings(check, showAll);
  if (shown.empty() && besides.empty()) {
    html += "<p class=\"clean\">No warnings" +
            std::string(check.levelOfAll() ? " about the task predictors" : "") + ".</p>";
  } else {
    html += warningsList(file, shown, "");
    if (!besides.empty()) html += "<ul class=\"warnings\">" + besides + "</ul>";
  }
  if (showAll) {
    html +=
        "<p class=\"note\">Findings among confounds alone are listed too; they do not "
        "count toward the status.</p>";
  } else {
    html += confoundFindings(file, thresholds);
  }
  const auto task = varyingWhere(check, true);
  if (!task.empty()) {
    html += "<h3>Task predictors</h3><div class=\"figures\">" +
            barsFigure(file, thresholds, task,
                       "R&sup2; and VIF of the task predictors: how much all the others explain "
                       "each one",
                       "task-bars", labels) +
            heatmapFigure(file, thresholds, task, varyingWhere(check, false),
                          "|r| of the task predictors with the confounds", "task-pairs", labels) +
            "</div>";
  }
  if (!file.contrasts.empty()) html += "<h3>Contrasts</h3>" + contrastsTable(file);
  if (file.motion) {
    html += "<h3>Head motion</h3>" + displacementFigure(*file.motion, run.motion);
  }
  html += "<h3>All predictors</h3><div class=\"figures\">" + designMatrixFigure(file, labels) +
          heatmapFigure(file, thresholds, check.varying, check.varying, "|r| between predictors",
                        "heatmap", labels) +
          barsFigure(file, thresholds, check.varying,
                     "R&sup2; and VIF: how much the other predictors explain each one", "bars",
                     labels) +
          "</div>";
  return html + "</section>";
}

std::string summaryTable(const CheckRun& run) {
  std::string html =
      "<table class=\"summary\"><tr><th>file</th><th>status</th><th>residual df</th>"
      "<th>strongest |r|</th><th>highest VIF</th></tr>";
  for (std::size_t i = 0; i < run.files.size(); ++i) {
    const auto& file = run.files[i];
    html += "<tr><td><a href=\"#file-" + std::to_string(i + 1) + "\">" + escapedHtml(file.path) +
            "</a></td><td>" + badge(statusOf(file)) + "</td>";
    if (file.readError) {
      html += "<td></td><td></td><td></td></tr>";
      continue;
    }
    const auto& check = file.check;
    html += "<td>" + std::to_string(check.residualDegreesOfFreedom) + "</td><td>";
    const auto& strongest = run.showAll ? check.strongestPair : check.strongestTaskPair;
    if (strongest) {
      const auto& pair = *strongest;
      html += fixedDecimals(std::abs(pair.r), 2) + " " +
              escapedHtml(check.columns[pair.first].name) + " ~ " +
              escapedHtml(check.columns[pair.second].name);
    }
    html += "</td><td>";
    if (const auto highest = run.showAll ? check.highestVif() : check.highestTaskVif()) {
      html += fixedDecimals(*check.columns[*highest].vif, 1) + " " +
              escapedHtml(check.columns[*highest].name);
    }
    html += "</td></tr>";
  }
  return html + "</table>";
}

// The motion rule's limits, for the levels' note of a page that shows head motion: pages of
// designs without it say nothing of motion rules.
std::string motionRuleNote(const CheckRun& run) {
  const bool anyMotion =
      std::any_of(run.files.begin(), run.files.end(),
                  [](const CheckedFile& file) { return file.motion.has_value(); });
  if (!anyMotion) return "";
  const auto& limits = run.motion.limits;
  std::vector<std::string> parts;
  if (limits.meanDisplacement) {
    parts.push_back("mean FD &gt; " + shortestDigits(*limits.meanDisplacement) + " mm");
  }
  if (limits.shareAbove) {
    parts.push_back("more than " + shortestDigits(limits.shareAbove->share * 100.0) +
                    " % of the volumes above " + shortestDigits(limits.shareAbove->threshold) +
                    " mm");
  }
  if (limits.largestDisplacement) {
    parts.push_back("an FD &gt; " + shortestDigits(*limits.largestDisplacement) + " mm");
  }
  std::string text =
      ", head motion beyond the " + std::string(motionRuleName(limits.rule)) + " motion rule";
  if (parts.empty()) return text + " (no limits)";
  text += " (";
  for (std::size_t i = 0; i < parts.size(); ++i) {
    text += (i == 0 ? "" : i + 1 == parts.size() ? " or " : ", ") + parts[i];
  }
  return text + ")";
}

// After the kit's base rules (check/page_kit.h).
constexpr const char* kStyle = R"(
.badge { font-size: 12px; padding: 1px 8px; border-radius: 9px; color: #fff; background: #3a7d44;
         vertical-align: middle; }
.badge.error, .badge.unreadable { background: #c0152f; } .badge.high { background: #d9480f; }
.badge.medium { background: #a86c00; }
ul.warnings { list-style: none; padding: 0; margin: 8px 0; }
ul.warnings li { padding: 3px 8px; margin: 2px 0; border-left: 5px solid #999;
                 background: #f6f6f6; }
ul.warnings li b { display: inline-block; width: 62px; text-transform: uppercase; font-size: 12px; }
ul.warnings li.error { border-color: #c0152f; } ul.warnings li.error b { color: #c0152f; }
ul.warnings li.high { border-color: #d9480f; } ul.warnings li.high b { color: #d9480f; }
ul.warnings li.medium { border-color: #e8b23a; } ul.warnings li.medium b { color: #a86c00; }
.figures { display: flex; flex-wrap: wrap; gap: 18px 36px; align-items: flex-start; }
figure { margin: 10px 0; }
figcaption { font-weight: bold; margin-bottom: 6px; }
.stage { position: relative; }
.stage > svg, .raster { position: absolute; left: 0; top: 0; }
.raster img { position: absolute; image-rendering: pixelated; }
svg text { font-family: inherit; }
svg .label { font-size: 11px; }
svg .axis, svg .value { font-size: 11px; fill: #444; }
svg .split { stroke: #111; stroke-width: 1.5; }
svg .threshold { stroke: #333; stroke-dasharray: 4 3; }
svg .flagged { stroke: #c0152f; stroke-width: 2; }
.swatch { display: inline-block; width: 12px; height: 8px; margin: 0 4px 0 8px; }
.swatch.main { background: #2f6db5; } .swatch.confound { background: #d9822b; }
h3 { font-size: 15px; margin: 18px 0 2px; }
details.confounds { margin: 8px 0; color: #555; }
details.confounds summary { cursor: pointer; }
table.summary, table.contrasts { border-collapse: collapse; margin: 10px 0; }
table.contrasts td, table.contrasts th { border-bottom: 1px solid #ddd; padding: 3px 10px;
                                         text-align: left; }
table.summary td, table.summary th { border-bottom: 1px solid #ddd; padding: 3px 10px;
                                     text-align: left; }
)";

}  // namespace

void writeCheckHtml(const CheckRun& run, std::ostream& out) {
  const std::string title =
      run.files.size() == 1 ? "Design check: " + run.files.front().path : "Design check";
  out << pageStart(title, PageSpacing{4, 28}, kStyle);
  const auto& t = run.thresholds;
  const auto& c = run.contrastThresholds;
  out << "<p class=\"note\">A design's status counts every error, pairs with a task predictor, "
         "the task predictors' VIF, the contrasts and head motion; findings among confounds "
         "alone do not count. Levels: error (rank-deficient, no residual degrees of freedom, "
         "identical columns, a contrast not estimable) &gt; high (|r| &ge; "
      << fixedDecimals(t.highCorrelation, 2) << ", VIF &ge; " << fixedDecimals(t.highVif, 1)
      << ", contrast VIF &ge; " << fixedDecimals(c.highVif, 1) << ", more than "
      << fixedDecimals(run.motion.maxFlaggedShare * 100.0, 0) << " % of the volumes above "
      << fixedDecimals(run.motion.spikeThreshold, 2) << " mm" << motionRuleNote(run)
      << ") &gt; medium (|r| &ge; " << fixedDecimals(t.mediumCorrelation, 2) << ", VIF &ge; "
      << fixedDecimals(t.mediumVif, 1) << ", contrast VIF &ge; " << fixedDecimals(c.mediumVif, 1)
      << ")" << (t.hideConfoundPairs ? "; pairs of two confounds hidden unless identical" : "")
      << ". Computed in double precision; the correlation report's single-precision R&sup2; "
         "may differ slightly.</p>\n";
  if (run.files.size() > 1) out << summaryTable(run) << '\n';
  std::vector<std::string> names;
  for (const auto& file : run.files) {
    for (const auto& column : file.check.columns) names.push_back(column.name);
  }
  const auto labels = shortLabels(names, kLongestPredictorLabel);
  for (std::size_t i = 0; i < run.files.size(); ++i) {
    out << fileSection(run.files[i], i, run, labels) << '\n';
  }
  out << pageEnd(PageDrawn::imagesDecoded);
}

}  // namespace duv
