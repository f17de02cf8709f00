// duvendal: the command-line tool over the plug-in's core. See --help.

#include <CLI/CLI.hpp>

#include <algorithm>
#include <exception>
#include <iostream>
#include <map>
#include <stdexcept>
#include <string>
#include <thread>

#include "check/contrast_expression.h"
#include "cli/check_command.h"
#include "cli/commands.h"
#include "cli/design_command.h"
#include "cli/design_options.h"
#include "cli/held_saves.h"
#include "cli/interrupt.h"
#include "cli/study_command.h"
#include "cli/submit_options.h"
#include "cli/terminal.h"
#include "design/confound_selection.h"
#include "design/export_formats.h"
#include "design/motion_layout.h"
#include "design/motion_options.h"

namespace {

using duv::CheckLevel;
using duv::cli::CheckArguments;
using duv::cli::CheckFormat;
using duv::cli::MergeArguments;
using duv::cli::StudyArguments;

constexpr const char* kReplaceNote =
    "Existing output files are replaced; each is written to a temporary file first "
    "(<file>.tmp-<hex digits>) and put in place only when complete, so a failed run never "
    "leaves a half-written file. Interrupted (Ctrl-C, SIGTERM), the tool removes its temporary "
    "files before it ends.";

constexpr const char* kExitCodes =
    "Exit codes: 0 success, 1 failure (a file that cannot be read or written, ...), 2 the "
    "inputs differ in their number of data points, 64 usage error.";

constexpr const char* kConfoundFiles =
    "Confound files of other tools: a confound table (.tsv: a header row of column names, "
    "tab-separated, \"n/a\" for no value) gives the columns chosen with --confounds; a motion "
    "text file (.txt, .par, .1D: numbers separated by blanks, lines starting with # ignored) "
    "gives all its columns, named <file name>_1, <file name>_2, ... (a .1D file of nine or ten "
    "columns, as 3dvolreg -dfile writes it, is read for motion from its index first). All "
    "become confounds. In every column of a table the leading \"n/a\" cells, those before its "
    "first number, become 0 (logged); an \"n/a\" after it is an error. The outliers preset "
    "leaves out columns that are all zero or repeat another chosen column (logged). A merge's "
    "confounds that six decimals would flatten or distort in the .sdm are multiplied by a power "
    "of ten (logged); --ztrans leaves columns that flag one volume 0 and 1.";

// An option's text checked by `parse` when the arguments are parsed: a usage error names it.
template <typename Parse>
CLI::Validator parsedBy(Parse parse, const std::string& name) {
  return CLI::Validator(
      [parse](const std::string& text) {
        try {
          parse(text);
          return std::string();
        } catch (const std::invalid_argument& error) {
          return std::string(error.what());
        }
      },
      name);
}

void addConfoundOptions(CLI::App& command, duv::cli::ConfoundArguments& arguments) {
  command
      .add_option("--confounds", arguments.selection,
                  std::string("Columns to take from .tsv tables, in order (repeatable): ") +
                      std::string(duv::kConfoundPresets) +
                      ", or a column name in which * stands for any text")
      ->check(parsedBy(duv::parseConfoundSelector, "SELECTION"))
      ->allow_extra_args(false);  // one selection per --confounds: the inputs may follow
  command
      .add_option("--skip-volumes", arguments.skipVolumes,
                  "Drop the first N rows of every .tsv, .txt, .par and .1D input")
      ->check(CLI::NonNegativeNumber);
  command
      .add_option("--skip-last-volumes", arguments.skipLastVolumes,
                  "Drop the last N rows of every .tsv, .txt, .par and .1D input (a pipeline's "
                  "table one row longer than the design)")
      ->check(CLI::NonNegativeNumber);
  command.add_flag("--derivatives", arguments.derivatives,
                   "Add to .txt, .par and .1D inputs the backward difference of each column "
                   "(first row 0), named <column>_derivative1");
  command.add_flag("--squares", arguments.squares,
                   "Add to .txt, .par and .1D inputs the square of each column (and of each "
                   "difference), named <column>_power2 (<column>_derivative1_power2)");
  command
      .add_option("--spikes", arguments.spikes,
                  "fd:<mm>: one confound per volume whose framewise displacement lies above "
                  "<mm>, 1 there and 0 elsewhere, named motion_outlier00, motion_outlier01, ... "
                  "after the other columns of the motion input that flags it (motion designs, "
                  ".par, .txt, .1D files and confound tables; a table's framewise_displacement "
                  "compared with all its decimals); --ztrans leaves them as they are")
      ->type_name("fd:MM")
      ->check(parsedBy(duv::parseSpikeCriterion, ""));
  command
      .add_option("--motion-layout", arguments.motionLayout,
                  "The layout of motion text files, whatever their extension: sdm (translations "
                  "in mm, rotations in degrees or radians, named), par (3 rotations in rad, then 3 "
                  "translations in mm), txt (3 translations in mm, then 3 rotations in rad), 1d "
                  "(roll, pitch, yaw in degrees, then 3 displacements in mm), tsv")
      ->type_name("LAYOUT")
      ->check(parsedBy(duv::parseMotionLayout, ""));
}

constexpr const char* kHtmlOption =
    "Also write a check page (design matrix image, |r| heatmap, R2/VIF bars, warnings) per "
    "result into DIR (made when the first page is written), named as the result with .html";

constexpr const char* kCheckDescription =
    "Check designs before fitting them: rank, residual degrees of freedom, constant, all-zero "
    "and identical columns, strongly correlated pairs, R2 and VIF per predictor with the "
    "three predictors each correlates with most, the contrasts a study tests, and head motion. "
    "Inputs: .sdm files, and .rtc, .tsv, .txt, "
    ".par and .1D files read as the merges read them (all columns confounds).";

constexpr const char* kCheckFooter =
    "The task's view: a design's status counts every error, pairs with a task predictor (a main "
    "predictor no --nuisance pattern names), the task predictors' VIF, the contrasts and head "
    "motion; findings among confounds alone are one summary line (--all: listed) and never "
    "count.\n"
    "Levels: error (rank-deficient, no residual degrees of freedom, identical columns: |r| at "
    "least 1 - 1e-6, a value that is not a number, a contrast that is not estimable) > high (|r| "
    ">= --high-r, VIF >= --high-vif, contrast VIF >= --high-cvif, more than --max-scrubbed of "
    "the volumes above the spike threshold, head motion beyond a limit of --motion-rule) > medium "
    "(|r| >= --medium-r, VIF >= --medium-vif, "
    "contrast VIF >= --medium-cvif). Constant, all-zero and non-numeric columns are listed and "
    "left out of r and VIF; columns in an exact dependency have VIF inf and each dependency is "
    "listed by name.\n"
    "Contrast VIF: c R+ c' / c c', R the predictors' correlation matrix (the inflation of the "
    "contrast of standardised coefficients); efficiency 1 / c (X'X)+ c' depends on the "
    "predictors' scale. Head motion: framewise displacement, the absolute volume-to-volume "
    "changes of the six parameters summed, rotations as arcs on a 50 mm sphere.\n"
    "These diagnostics are computed in double precision, from one factorisation of the "
    "correlation matrix; they need not match the single-precision R2 of the correlation "
    "report (.txt), which stays as it is.\n"
    "Output: a summary line per file, then details (text), or one row per predictor, contrast "
    "and head motion (tsv), or one document (json); docs/check-output.md describes the TSV "
    "columns and JSON keys.\n"
    "Exit codes: 0 no counted warning at the --fail-on level, 1 a file cannot be read or checked "
    "(this comes first) or the page cannot be written, 3 a counted warning at or above the "
    "--fail-on level, 64 usage error.\n";

// The check's choices as the user names them, turned into CheckArguments after parsing.
struct CheckChoices {
  std::string format = "text";
  std::string failOn = "error";
};

void applyChoices(const CheckChoices& names, CheckArguments& arguments) {
  const std::map<std::string, CheckFormat> formats{
      {"text", CheckFormat::text}, {"tsv", CheckFormat::tsv}, {"json", CheckFormat::json}};
  const std::map<std::string, CheckLevel> levels{
      {"error", CheckLevel::error}, {"high", CheckLevel::high}, {"medium", CheckLevel::medium}};
  arguments.format = formats.at(names.format);
  arguments.failOn = levels.at(names.failOn);
}

// The options that set how designs are judged: by the check and by study runs.
void addCheckLevelOptions(CLI::App& command, CheckArguments& arguments, CheckChoices& names) {
  command
      .add_option("--fail-on", names.failOn,
                  "Exit with 3 when a warning reaches this level: error (default), high or "
                  "medium")
      ->check(CLI::IsMember({"error", "high", "medium"}));
  auto& t = arguments.thresholds;
  command.add_option("--high-r", t.highCorrelation, "|r| at or above this is high (0.7)");
  command.add_option("--medium-r", t.mediumCorrelation, "|r| at or above this is medium (0.4)");
  command.add_option("--high-vif", t.highVif, "VIF at or above this is high (10)");
  command.add_option("--medium-vif", t.mediumVif, "VIF at or above this is medium (5)");
  command
      .add_option("--nuisance", t.nuisancePatterns,
                  "Treat main predictors whose names match PATTERN (* for any text) as "
                  "confounds in the task's view (repeatable)")
      ->type_name("PATTERN")
      ->allow_extra_args(false);
  command.add_flag("--hide-confound-pairs", t.hideConfoundPairs,
                   "Leave out pairs of two confounds entirely, except identical ones, also from "
                   "the TSV and JSON output");
  command
      .add_option("--fd-thresholds", arguments.fdThresholds,
                  "Count the volumes whose framewise displacement lies above each of these "
                  "(mm, comma-separated; 0.2,0.5)")
      ->type_name("MM,...")
      ->check(parsedBy(duv::parseThresholdList, ""));
  command
      .add_option("--contrast", arguments.contrasts,
                  "A contrast to check, NAME=EXPRESSION: weighted predictor names, e.g. "
                  "'Faces-Houses=Faces - Houses', '0.5*Faces + 0.5*Houses - Scrambled'; names "
                  "holding blanks or operators in double quotes (repeatable)")
      ->type_name("NAME=EXPRESSION")
      ->check(parsedBy(duv::parseContrastOption, ""))
      ->allow_extra_args(false);
  command
      .add_option("--contrasts", arguments.contrastsFile,
                  "Contrasts from a file: a header line name<TAB>expression, then one contrast "
                  "per line")
      ->type_name("FILE");
  auto& ct = arguments.contrastThresholds;
  command.add_option("--high-cvif", ct.highVif, "Contrast VIF at or above this is high (10)");
  command.add_option("--medium-cvif", ct.mediumVif, "Contrast VIF at or above this is medium (5)");
  command.add_option("--max-scrubbed", arguments.maxScrubbedPercent,
                     "A run whose share of volumes above the spike threshold (--spikes, 0.5 mm) "
                     "exceeds this percentage warns high (25)");
  command
      .add_option("--motion-rule", arguments.motionRule,
                  "Limits of head motion beyond which a run warns high: stringent (default; mean "
                  "FD > 0.25 mm, or more than 20 % of the volumes above 0.2 mm, or any FD > "
                  "5 mm), lenient (mean FD > 0.55 mm) or none; --max-mean-fd, --max-fd and "
                  "--max-share-above each replace the rule's limit of their kind (with none, "
                  "they are the only limits)")
      ->type_name("RULE");
  command
      .add_option("--max-mean-fd", arguments.maxMeanFd,
                  "A run whose mean FD (volumes 2 to n) lies above MM warns high, in place "
                  "of the rule's limit")
      ->type_name("MM");
  command
      .add_option("--max-fd", arguments.maxFd,
                  "A run with an FD above MM warns high, in place of the rule's limit")
      ->type_name("MM");
  command
      .add_option("--max-share-above", arguments.maxShareAbove,
                  "A run with more than PERCENT of its volumes above MM warns high, in place "
                  "of the rule's limit (e.g. 0.2:20)")
      ->type_name("MM:PERCENT");
}

void addCheckOptions(CLI::App& command, CheckArguments& arguments, CheckChoices& names) {
  command
      .add_option("FILE", arguments.files,
                  "Design matrices (.sdm), time-course files (.rtc), confound tables (.tsv), "
                  "motion text files (.txt, .par, .1D)")
      ->required();
  command
      .add_option("--format", names.format,
                  "Output on standard output: text (default), tsv or json")
      ->check(CLI::IsMember({"text", "tsv", "json"}));
  addCheckLevelOptions(command, arguments, names);
  command.add_flag("--all", arguments.showAll,
                   "Show the findings among confounds alone one by one, as the other warnings, "
                   "instead of one summary line per design (they never count toward the "
                   "status)");
  command
      .add_option("--motion", arguments.motion,
                  "Head motion beside the design: a motion design (.sdm), .par, .txt, .1D file or "
                  "confound table; once for every FILE, in order (repeatable)")
      ->type_name("MOTION")
      ->allow_extra_args(false);
  command
      .add_option("--html", arguments.html,
                  "Also write the results as one self-contained page to REPORT.html")
      ->type_name("REPORT.html");
  addConfoundOptions(command, arguments.confounds);
  command.description(kCheckDescription);
  command.footer(std::string(kCheckFooter) + kConfoundFiles + "\n");
}

constexpr const char* kExportOption =
    "Also write every result for other packages, beside its .sdm (comma-separated): tsv "
    "(<result>.tsv, every value exact, and <result>.json naming the task columns, confounds and "
    "constant), spm (<result>_spm.mat: R and names), fsl (<result>_fsl.txt), afni "
    "(<result>_afni.1D); the last three hold the confounds without the constant";

void addExportOption(CLI::App& command, std::optional<std::string>& exports) {
  command.add_option("--export", exports, kExportOption)
      ->type_name("FORMAT[,FORMAT...]")
      ->check(parsedBy(duv::parseExportFormats, ""));
}

void addTaskColumnsOption(CLI::App& command, std::vector<std::string>& taskColumns,
                          const char* which) {
  command
      .add_option("--task-columns", taskColumns,
                  std::string("The task predictors of ") + which +
                      " .tsv design without a sidecar (<name>.json, as --export tsv writes): "
                      "the other columns are confounds")
      ->type_name("NAME,...")
      ->delimiter(',')
      ->allow_extra_args(false);
}

// The options that shape a merge's result: by the merges and by study runs.
void addMergeShapeOptions(CLI::App& command, MergeArguments& arguments) {
  addExportOption(command, arguments.exports);
  auto* baseline = command.add_flag("--baseline", arguments.baseline,
                                    "Make every result end with a constant predictor (default)");
  auto* noBaseline = command.add_flag_callback(
      "--no-baseline", [&arguments] { arguments.baseline = false; },
      "Remove a constant last predictor from every result");
  baseline->excludes(noBaseline);
  command.add_flag("--ztrans", arguments.zTransform,
                   "z-transform every non-constant confound of every result, but for columns "
                   "that flag one volume (0 everywhere but one 1), which stay 0 and 1");
  command.add_flag("--allcorr", arguments.allCorrelations,
                   "Write a correlation report (.txt) and table (.csv) beside every result");
  addConfoundOptions(command, arguments.confounds);
}

void addMergeOptions(CLI::App& command, MergeArguments& arguments) {
  command
      .add_option("SECONDARY", arguments.secondaries,
                  "Secondary inputs, in order: design matrices (.sdm), time-course files (.rtc), "
                  "confound tables (.tsv), motion text files (.txt, .par, .1D)")
      ->required();
  command.add_option("--out-dir", arguments.outDir,
                     "Save results in DIR under their suggested file names (made when the "
                     "first result is saved); without it, at the suggested paths");
  addMergeShapeOptions(command, arguments);
  command.add_flag("-q,--quiet", arguments.quiet, "No log lines or progress; errors still show");
  command.add_option("--html", arguments.htmlDir, kHtmlOption)->type_name("DIR");
  command.footer(std::string(kConfoundFiles) + "\n" + kReplaceNote + "\n" + kExitCodes + "\n");
}

// The options that shape a design built from events: by the design command and by study runs.
constexpr const char* kStudyFooter =
    "Pairing: --primary and --confounds-from are paths (relative to the current folder, or "
    "absolute) in which {name} is a field matching one label of letters and digits, and * "
    "matches any characters within one folder or file name; every primary found is paired with "
    "the file of each --confounds-from pattern that fills the same fields. A manifest (--manifest) "
    "is a TSV with a header: primary, one or more columns whose "
    "names begin with confounds, an optional output (the run's folder in --out-dir), an optional "
    "contrasts (the run's own contrasts file, in place of --contrast and --contrasts), and fields: "
    "any other column, each cell a label or empty; paths are relative to the manifest's folder. "
    "A primary without a partner, a partner without a primary and a pattern matching nothing are "
    "errors unless --allow-missing.\n"
    "Contrasts per task: a --contrasts file may have field columns "
    "(task<TAB>name<TAB>expression): a contrast applies to the runs whose fields have its cells' "
    "values (an empty cell: every run); two contrasts of one name may not apply to one run.\n"
    "Each run merges its primary with its confound inputs in order (the bytes of merge-all for "
    "one, of merge-sec PRIMARY CONFOUND... for several), checks the result (its contrasts and "
    "the head motion of its first motion input), and writes its check page and a record "
    "(<run>.run.json) in --out-dir, under the primary's folder relative to where the pattern "
    "starts. A run whose inputs, options and outputs are as recorded is not done again "
    "(--force: all are). group.tsv and group.html sum up the runs, except with --only: "
    "--group-only builds them from the records alone (a folder without records is an error). "
    "Interrupted, a study says how many runs are done; the same command resumes it.\n"
    "Exit codes: 0 every run done without a counted warning at the --fail-on level, 1 a run "
    "failed (or the pairing did), 3 a run's status reached --fail-on, 64 usage error.\n";

void addStudyOptions(CLI::App& command, StudyArguments& arguments, CheckChoices& names) {
  command.add_option("--manifest", arguments.manifest, "The runs, from a TSV manifest")
      ->type_name("FILE");
  command
      .add_option("--primary", arguments.primaryPattern,
                  "The runs' task designs: a path with {fields}, e.g. "
                  "'sub-{sub}/func/sub-{sub}_task-{task}_run-{run}_design.sdm'")
      ->type_name("PATTERN");
  auto* events = command.add_option(
      "--events", arguments.eventsPattern,
      "Or the runs' events files, in place of --primary: each run's task design is "
      "built from them as `design` builds it (see its options), saved beside the "
      "run's outputs and merged as its primary");
  events->type_name("PATTERN");
  command
      .add_option("--tr", arguments.design.repetitionTime,
                  "With --events: every run's repetition time (default: each run's from its "
                  "*_bold.json sidecars, found as BIDS inheritance finds them)")
      ->type_name("SECONDS");
  command
      .add_option("--volumes", arguments.design.volumes,
                  "With --events: every run's volumes (default: the rows of its first confound "
                  "input)")
      ->type_name("N");
  addDesignOptions(command, arguments.design);
  // The design options shape designs built from events, and nothing else.
  for (const char* name : {"--tr", "--volumes", "--hrf", "--fir-delays", "--drift", "--high-pass",
                           "--drift-order", "--slice-time-ref", "--min-onset", "--conditions"}) {
    command.get_option(name)->needs(events);
  }
  command
      .add_option("--confounds-from", arguments.confoundPatterns,
                  "The confound inputs of each run, paired by the same fields (repeatable, in "
                  "order)")
      ->type_name("PATTERN")
      ->allow_extra_args(false);
  command.add_flag("--allow-missing", arguments.allowMissing,
                   "Skip runs whose files do not pair, rather than stop");
  command
      .add_option("--only", arguments.only,
                  "Do only the runs whose FIELD is one of the VALUES, e.g. sub=01,02 (repeatable; "
                  "the group outputs are then left to --group-only)")
      ->type_name("FIELD=VALUES")
      ->allow_extra_args(false);
  command.add_flag("--dry-run", arguments.dryRun,
                   "Print the runs found and stop (--out-dir optional: given, its outputs are "
                   "checked too)");
  command.add_option("--out-dir", arguments.outDir, "The study's output folder")->type_name("DIR");
  command.add_flag("-q,--quiet", arguments.quiet,
                   "No log lines (runs skipped, records ignored) or progress; errors and the "
                   "summary still show");
  command
      .add_option("-j,--jobs", arguments.jobs,
                  "Runs at a time, 1 to " + std::to_string(duv::cli::kMostJobs) +
                      " (default: every core, at most " + std::to_string(duv::cli::kMostJobs) + ")")
      ->check(CLI::Range(std::size_t{1}, duv::cli::kMostJobs));
  command.add_flag("--force", arguments.force, "Do every run again, even those up to date");
  command.add_flag("--group-only", arguments.groupOnly,
                   "Only build group.tsv and group.html from the records in --out-dir");
  addMergeShapeOptions(command, arguments.merge);
  addCheckLevelOptions(command, arguments.check, names);
  command.footer(std::string(kStudyFooter) + kConfoundFiles + "\n");
}

int usageError(const std::string& what) {
  std::cerr << "Error: " << what << "\nRun 'duvendal --help' for more information.\n";
  return duv::cli::kUsage;
}

}  // namespace

// Standard output and error carry results too: a write to them that failed (a full disk, a
// closed pipe) turns any outcome into a failure, said on standard error where that still works.
int withStandardStreamsChecked(int code) {
  std::cout.flush();
  if (!std::cout) {
    std::cerr << "Error: failed writing to standard output" << std::endl;
    return duv::cli::kFailure;
  }
  std::cerr.flush();
  if (!std::cerr) return duv::cli::kFailure;
  return code;
}

int runTool(int argc, char** argv) {
  CLI::App app{
      "duvendal: prepare the design matrices of fMRI regression analyses.\n"
      "Merges a task design (.sdm) with confound matrices (.sdm, .rtc) and the confound files of "
      "other tools (.tsv, .txt, .par, .1D), adds or removes the "
      "constant predictor, z-transforms confounds, and writes correlation tables (.csv) and "
      "multicollinearity reports (.txt); checks designs before they are fitted.",
      "duvendal"};
  app.set_version_flag("--version", "duvendal " DUVENDAL_VERSION);
  app.require_subcommand(1);
  app.footer(std::string(kExitCodes) + "\n");

  MergeArguments mergeAll;
  auto* mergeAllCommand = app.add_subcommand(
      "merge-all", "Merge the primary design with every secondary one: one result each");
  mergeAllCommand
      ->add_option("--primary", mergeAll.primary,
                   "The primary design matrix (.sdm, or a .tsv design)")
      ->required();
  addTaskColumnsOption(*mergeAllCommand, mergeAll.taskColumns, "the primary");
  addMergeOptions(*mergeAllCommand, mergeAll);

  MergeArguments mergeSecondary;
  auto* mergeSecondaryCommand =
      app.add_subcommand("merge-sec", "Merge all secondary designs, in order, into one result");
  addMergeOptions(*mergeSecondaryCommand, mergeSecondary);

  std::vector<std::string> correlationFiles;
  bool quietCorrelations = false;
  std::optional<std::string> correlationHtml;
  auto* correlationCommand = app.add_subcommand(
      "corr", "Write the correlation report (.txt) and table (.csv) beside each design matrix");
  correlationCommand->add_option("FILE", correlationFiles, "Design matrices (.sdm, .tsv designs)")
      ->required();
  std::vector<std::string> correlationTaskColumns;
  addTaskColumnsOption(*correlationCommand, correlationTaskColumns, "each");
  correlationCommand->add_flag("-q,--quiet", quietCorrelations,
                               "No log lines or progress; errors still show");
  correlationCommand->add_option("--html", correlationHtml, kHtmlOption)->type_name("DIR");
  correlationCommand->footer(std::string(kReplaceNote) + "\n" + kExitCodes + "\n");

  CheckArguments check;
  CheckChoices checkChoices;
  auto* checkCommand = app.add_subcommand("check", "Check designs: rank, pairs, R2 and VIF");
  addCheckOptions(*checkCommand, check, checkChoices);

  StudyArguments study;
  study.jobs = std::clamp<std::size_t>(std::thread::hardware_concurrency(), 1, duv::cli::kMostJobs);
  CheckChoices studyChoices;
  auto* studyCommand = app.add_subcommand(
      "study", "Merge and check every run of a study on every core, with a group view");
  addStudyOptions(*studyCommand, study, studyChoices);
  duv::cli::addSubmitOptions(*studyCommand, study);
  addTaskColumnsOption(*studyCommand, study.merge.taskColumns, "each run's primary");

  duv::cli::ConvertArguments convert;
  auto* convertCommand = app.add_subcommand(
      "convert", "Write designs that exist in the files of other packages, without merging");
  convertCommand
      ->add_option("FILE", convert.files,
                   "Designs: .sdm, .rtc, .tsv designs (and the confound files the merges read)")
      ->required();
  convertCommand->add_option("--export", convert.exports, kExportOption)
      ->type_name("FORMAT[,FORMAT...]")
      ->check(parsedBy(duv::parseExportFormats, ""))
      ->required();
  convertCommand->add_option("--out-dir", convert.outDir,
                             "Write the files in DIR (made when needed); without it, beside each "
                             "FILE");
  addTaskColumnsOption(*convertCommand, convert.taskColumns, "each");
  convertCommand->add_flag("-q,--quiet", convert.quiet, "No log lines; errors still show");
  convertCommand->footer(std::string(kReplaceNote) + "\n" + kExitCodes + "\n");

  duv::cli::DesignArguments design;
  auto* designCommand = app.add_subcommand(
      "design", "Build a run's task design (.sdm) from its events file, as nilearn builds it");
  designCommand->add_option("EVENTS", design.events, "The events file (.tsv or .csv)")->required();
  designCommand->add_option("--tr", design.options.repetitionTime, "The repetition time (s)")
      ->type_name("SECONDS");
  designCommand->add_option("--volumes", design.options.volumes, "The run's number of volumes")
      ->type_name("N");
  designCommand
      ->add_option("--out", design.out,
                   "Save the design here (default: beside the events, as .sdm)")
      ->type_name("FILE.sdm");
  addDesignOptions(*designCommand, design.options);
  addExportOption(*designCommand, design.exports);
  designCommand->add_flag("-q,--quiet", design.quiet,
                          "No log lines or warnings; errors still show");
  designCommand->footer(std::string(duv::cli::kDesignFooter) + kExitCodes + "\n");

  try {
    app.parse(argc, argv);
    // Options that only make sense together are refused before anything is read.
    duv::cli::spikeOptionsFor(mergeAll.confounds);
    duv::cli::spikeOptionsFor(mergeSecondary.confounds);
    duv::cli::spikeOptionsFor(check.confounds);
    duv::cli::spikeOptionsFor(study.merge.confounds);
    if (studyCommand->parsed()) {
      applyChoices(studyChoices, study.check);
      study.submit.given = duv::cli::givenOptions(*studyCommand);
      duv::validateThresholds(study.check.thresholds);
      duv::validateContrastThresholds(study.check.contrastThresholds);
      duv::cli::motionLimitsFor(study.check);
      duv::cli::validateStudyArguments(study);
    }
    if (designCommand->parsed()) duv::cli::validateDesignArguments(design);
    if (checkCommand->parsed()) {
      applyChoices(checkChoices, check);
      duv::validateThresholds(check.thresholds);
      duv::cli::validateMotionArguments(check);
      duv::validateContrastThresholds(check.contrastThresholds);
    }
  } catch (const CLI::CallForHelp& help) {
    return app.exit(help);
  } catch (const CLI::CallForAllHelp& help) {
    return app.exit(help);
  } catch (const CLI::CallForVersion& version) {
    return app.exit(version);
  } catch (const CLI::ParseError& error) {
    return usageError(error.what());
  } catch (const duv::ThresholdError& error) {
    return usageError(error.describe(duv::cli::thresholdOption));
  } catch (const std::invalid_argument& error) {
    return usageError(error.what());
  }

  try {
    if (mergeAllCommand->parsed()) return duv::cli::runMerge(mergeAll, duv::MergeKind::withPrimary);
    if (mergeSecondaryCommand->parsed())
      return duv::cli::runMerge(mergeSecondary, duv::MergeKind::secondariesOnly);
    if (checkCommand->parsed()) return duv::cli::runCheck(check);
    if (studyCommand->parsed()) return duv::cli::runStudyCommand(study);
    if (designCommand->parsed()) return duv::cli::runDesign(design);
    if (convertCommand->parsed()) return duv::cli::runConvert(convert);
    return duv::cli::runCorrelations(correlationFiles, quietCorrelations, correlationHtml,
                                     correlationTaskColumns);
  } catch (const duv::UnknownSelectionError& error) {
    return usageError(error.what());
  } catch (const std::exception& error) {
    std::cerr << "Error: " << error.what() << '\n';
    return duv::cli::kFailure;
  }
}

int main(int argc, char** argv) {
  duv::cli::removeTemporaryFilesWhenInterrupted();
  duv::cli::holdSavesWhenAsked();
  duv::cli::makeBrokenPipesWriteErrors();
  return withStandardStreamsChecked(runTool(argc, argv));
}
