#include "cli/study_command.h"

#include <atomic>
#include <iostream>
#include <mutex>
#include <set>
#include <stdexcept>

#include "check/contrast_expression.h"
#include "cli/interrupt.h"
#include "cli/study_submit.h"
#include "cli/terminal.h"
#include "cli/tool_inputs.h"
#include "design/export_formats.h"
#include "design/file_system.h"
#include "design/motion_options.h"
#include "design/paths.h"
#include "study/bold_sidecar.h"
#include "study/group_html.h"
#include "study/group_tsv.h"
#include "study/pairing_table.h"
#include "study/run_contrasts.h"
#include "study/run_list.h"
#include "study/run_record_format.h"
#include "study/run_record_search.h"
#include "study/skipped_runs.h"
#include "study/study_manifest.h"
#include "study/study_outputs.h"
#include "study/study_pairing.h"
#include "study/study_pattern.h"
#include "study/study_runner.h"
#include "study/study_summary.h"

namespace duv::cli {
namespace {

RunOptions runOptionsOf(const StudyArguments& arguments) {
  const auto& merge = arguments.merge;
  const auto& check = arguments.check;
  RunOptions options;
  options.baseline = merge.baseline;
  options.zTransform = merge.zTransform;
  options.reports = merge.allCorrelations;
  for (const auto& text : merge.confounds.selection) {
    options.confounds.selection.push_back(parseConfoundSelector(text));
  }
  options.confounds.skipVolumes = merge.confounds.skipVolumes;
  options.confounds.skipLastVolumes = merge.confounds.skipLastVolumes;
  options.confounds.derivatives = merge.confounds.derivatives;
  options.confounds.squares = merge.confounds.squares;
  options.spikes = spikeOptionsFor(merge.confounds);
  options.motionReading = motionReadingFor(merge.confounds);
  if (merge.exports) options.exports = parseExportFormats(*merge.exports);
  options.taskColumns = merge.taskColumns;
  options.thresholds = check.thresholds;
  options.contrastThresholds = check.contrastThresholds;
  options.motion.thresholds = parseThresholdList(check.fdThresholds);
  options.motion.maxFlaggedShare = check.maxScrubbedPercent / 100.0;
  options.motion.limits = motionLimitsFor(check);
  if (options.spikes)
    options.motion.spikeThreshold = options.spikes->criterion.displacementThreshold;
  if (arguments.eventsPattern) {
    const auto request = eventsRequestOf("", arguments.design);
    options.events = EventsRunOptions{request.options, request.conditions};
  }
  return options;
}

// The study's contrasts: the --contrast options, then the --contrasts file, whose field columns
// must be fields of the study's runs.
std::vector<Contrast> studyContrastsOf(const CheckArguments& check,
                                       const std::vector<std::string>& fields) {
  std::vector<Contrast> options;
  for (const auto& text : check.contrasts) options.push_back(parseContrastOption(text));
  const auto table = check.contrastsFile
                         ? readStudyContrasts(*check.contrastsFile, fields, realFileSystem())
                         : ContrastTable{};
  return joinedContrasts(std::move(options), table);
}

StudyPairing pairingOf(const StudyArguments& arguments) {
  PairingOptions options;
  options.only = parseRunSelection(arguments.only);
  options.allowMissing = arguments.allowMissing;
  auto pairing =
      arguments.manifest
          ? pairStudyManifest(*arguments.manifest, options, realFileSystem())
          : pairStudyFiles("",
                           arguments.primaryPattern.value_or(arguments.eventsPattern.value_or("")),
                           arguments.confoundPatterns, options, realFileSystem());
  if (arguments.runList) {
    pairing.runs = keepListedRuns(std::move(pairing.runs), *arguments.runList, realFileSystem());
    // The runs skipped are no piece's: a list names runs to do.
    pairing.skipped.clear();
  }
  // Each events run's repetition time comes from its sidecars, unless --tr gives it.
  if (arguments.eventsPattern && !arguments.design.repetitionTime) {
    for (auto& run : pairing.runs) run.sidecars = boldSidecarsOf(run.primary, realFileSystem());
  }
  return pairing;
}

// A piece of a study (--only, --run-list) leaves the group outputs to --group-only: pieces
// running side by side would race for them.
bool isPiece(const StudyArguments& arguments) {
  return !arguments.only.empty() || arguments.runList.has_value();
}

// The page draws the mean-FD limit of the motion rule asked now (with --group-only too).
void writeGroupOutputs(const StudyArguments& arguments, const std::vector<RunRecord>& records,
                       const std::vector<std::string>& unreadable) {
  const auto limits = motionLimitsFor(arguments.check);
  GroupPageSettings page;
  page.meanDisplacementLimit = limits.meanDisplacement;
  page.motionRule = motionRuleName(limits.rule);
  writeFile(realFileSystem(), joinPath(arguments.outDir, "group.tsv"),
            [&records](std::ostream& out) { writeGroupTsv(records, out); });
  writeFile(realFileSystem(), joinPath(arguments.outDir, "group.html"),
            [&](std::ostream& out) { writeGroupHtml(records, unreadable, out, page); });
}

int exitCodeOf(const std::vector<RunRecord>& records, CheckLevel failOn) {
  bool reached = false;
  for (const auto& record : records) {
    if (record.skipped) continue;  // --allow-missing let it pass
    if (record.status == CheckStatus::failed) return kFailure;
    const auto level = levelOfStatus(record.status);
    reached = reached || (level && *level >= failOn);
  }
  return reached ? kWarningsAtLevel : kSuccess;
}

int groupOnly(const StudyArguments& arguments) {
  const auto found = findRunRecords(arguments.outDir, realFileSystem());
  // Group outputs of no run would only hide that the study was never run into this folder.
  if (found.records.empty() && found.errors.empty()) {
    throw std::runtime_error("no run records were found in " + arguments.outDir +
                             ": a study writes one beside each run's outputs (<run>" +
                             run_record_format::kFileSuffix +
                             ") when it runs without --group-only");
  }
  for (const auto& error : found.errors) std::cerr << "Error: " << error << '\n';
  writeGroupOutputs(arguments, found.records, found.errors);
  writeStudySummary(found.records, 0, std::cout);
  if (!found.errors.empty()) return kFailure;
  return exitCodeOf(found.records, arguments.check.failOn);
}

// "Interrupted: 12 of 40 runs done; ...": what a study stopped by the user has left to do.
std::string interruptedText(std::size_t done, std::size_t total, bool terminal) {
  return std::string(terminal ? "\r\033[K" : "") + "Interrupted: " + std::to_string(done) + " of " +
         std::to_string(total) + (total == 1 ? " run" : " runs") +
         " done; run the same command again to resume.\n";
}

}  // namespace

void validateStudyArguments(const StudyArguments& arguments) {
  if (arguments.outDir.empty() && !(arguments.dryRun && !arguments.groupOnly)) {
    throw std::invalid_argument("--out-dir is required");
  }
  validateSubmitArguments(arguments);
  if (arguments.groupOnly) {
    if (arguments.manifest || arguments.primaryPattern || arguments.eventsPattern ||
        !arguments.only.empty()) {
      throw std::invalid_argument(
          "--group-only builds the group outputs from the records in --out-dir: it takes no "
          "--manifest, --primary, --events or --only");
    }
    return;
  }
  if (arguments.eventsPattern) {
    if (arguments.manifest || arguments.primaryPattern) {
      throw std::invalid_argument(
          "--events takes the place of --primary: give no --manifest or --primary with it");
    }
    if (arguments.confoundPatterns.empty()) {
      throw std::invalid_argument(
          "--events needs --confounds-from: a run's design is merged with its confounds");
    }
    parseStudyPattern(*arguments.eventsPattern, "--events");
    eventsRequestOf("", arguments.design);
  } else if (arguments.manifest.has_value() == arguments.primaryPattern.has_value()) {
    throw std::invalid_argument(
        "give the study's files either as --manifest FILE or as --primary PATTERN with "
        "--confounds-from PATTERN");
  }
  if (arguments.manifest && !arguments.confoundPatterns.empty()) {
    throw std::invalid_argument("--confounds-from pairs files with --primary, not a manifest");
  }
  // Patterns and selections are read now, so that a mistyped one is a usage error.
  if (arguments.primaryPattern) parseStudyPattern(*arguments.primaryPattern, "--primary");
  for (const auto& pattern : arguments.confoundPatterns) {
    parseStudyPattern(pattern, "--confounds-from");
  }
  parseRunSelection(arguments.only);
}

int runStudyCommand(const StudyArguments& arguments) {
  if (arguments.groupOnly) return groupOnly(arguments);
  auto options = runOptionsOf(arguments);
  const auto pairing = pairingOf(arguments);
  options.contrasts = studyContrastsOf(arguments.check, pairing.fields);
  if (!arguments.quiet) {
    for (const auto& problem : pairing.problems) {
      std::cerr << "Skipped: " << problem.message << '\n';
    }
  }
  // A mistyped selection would fail every run: the first run's tables tell it as a usage error.
  if (!pairing.runs.empty()) {
    requireSelectionsInTables(pairing.runs.front().confounds, options.confounds.selection);
  }
  // A dry run without an output folder only lists the runs: there is nothing to clash with.
  if (!arguments.outDir.empty()) {
    StudyOutputSettings outputs;
    outputs.studyFolder = arguments.outDir;
    outputs.groupOutputs = !isPiece(arguments);
    for (const auto& skipped : pairing.skipped) outputs.skipped.push_back(skipped.plan);
    if (arguments.manifest) outputs.sources.push_back(*arguments.manifest);
    if (arguments.check.contrastsFile) outputs.sources.push_back(*arguments.check.contrastsFile);
    std::set<std::string> runContrasts;
    for (const auto& run : pairing.runs) {
      if (!run.contrastsFile.empty() && runContrasts.insert(run.contrastsFile).second) {
        outputs.sources.push_back(run.contrastsFile);
      }
    }
    checkStudyOutputs(pairing.runs, options, outputs, realFileSystem());
  }
  if (arguments.submit.scheduler) return submitStudy(arguments, pairing.runs);
  if (arguments.dryRun) {
    writePairingTable(pairing.runs, std::cout);
    return kSuccess;
  }

  RunnerSettings settings;
  settings.studyFolder = arguments.outDir;
  settings.toolVersion = DUVENDAL_VERSION;
  settings.jobs = arguments.jobs;
  settings.force = arguments.force;
  const bool terminal = standardErrorIsTerminal();
  const bool progressShown = terminal && !arguments.quiet;
  std::atomic<std::size_t> done{0};
  const auto total = pairing.runs.size();
  const InterruptNotice notice(
      [&done, total, progressShown] { return interruptedText(done, total, progressShown); });
  auto result = runStudy(
      pairing.runs, options, settings, realFileSystem(),
      [progressShown, &done](const StudyProgress& progress, const RunRecord& record) {
        done = progress.done;
        if (progressShown) std::cerr << "\r\033[K";
        if (record.status == CheckStatus::failed) {
          std::cerr << "Error: " << record.name << ": " << record.firstError.value_or("") << '\n';
        }
        if (progressShown) {
          std::cerr << '[' << progress.done << '/' << progress.total << "] " << progress.failed
                    << " failed" << std::flush;
        }
      });
  if (progressShown) std::cerr << "\r\033[K" << std::flush;
  if (!arguments.quiet) {
    for (const auto& warning : result.warnings) std::cerr << "Warning: " << warning << '\n';
  }

  const auto records = recordSkippedRuns(std::move(result.records), pairing.skipped, options,
                                         settings, realFileSystem());
  if (!isPiece(arguments)) {
    writeGroupOutputs(arguments, records, {});
  } else if (!arguments.only.empty() && !arguments.quiet) {
    std::cerr << "No group outputs with --only: once every piece is done, duvendal study "
                 "--group-only --out-dir "
              << arguments.outDir << " builds them from the runs' records\n";
  }
  writeStudySummary(records, result.skipped, std::cout);
  return exitCodeOf(records, arguments.check.failOn);
}

}  // namespace duv::cli
