// duvendal: the command-line tool over the plug-in's core. See --help.

#include <CLI/CLI.hpp>

#include <exception>
#include <iostream>
#include <stdexcept>
#include <string>

#include "cli/commands.h"
#include "design/confound_selection.h"

namespace {

using duv::cli::MergeArguments;

constexpr const char* kReplaceNote =
    "Existing output files are replaced; each is written to a temporary file first and put in "
    "place only when complete, so a failed run never leaves a half-written file.";

constexpr const char* kExitCodes =
    "Exit codes: 0 success, 1 failure (a file that cannot be read or written, ...), 2 the "
    "inputs differ in their number of data points, 64 usage error.";

constexpr const char* kConfoundFiles =
    "Confound files of other tools: a confound table (.tsv: a header row of column names, "
    "tab-separated, \"n/a\" for no value) gives the columns chosen with --confounds; a motion "
    "text file (.txt, .par, .1D: numbers separated by blanks, lines starting with # ignored) "
    "gives all its columns, named <file name>_1, <file name>_2, ... All become confounds. "
    "Leading \"n/a\" cells of *_derivative1 columns, framewise_displacement and dvars become "
    "0 (logged); any other \"n/a\" is an error.";

// A selection is checked when the arguments are parsed, so that a mistyped one is a usage
// error before anything is read.
CLI::Validator confoundSelection() {
  return CLI::Validator(
      [](const std::string& text) {
        try {
          duv::parseConfoundSelector(text);
          return std::string();
        } catch (const std::invalid_argument& error) {
          return std::string(error.what());
        }
      },
      "SPEC");
}

void addConfoundOptions(CLI::App& command, duv::cli::ConfoundArguments& arguments) {
  command
      .add_option("--confounds", arguments.selection,
                  std::string("Columns to take from .tsv tables, in order (repeatable): ") +
                      std::string(duv::kConfoundPresets) +
                      ", or a column name in which * stands for any text")
      ->check(confoundSelection())
      ->allow_extra_args(false);  // one selection per --confounds: the inputs may follow
  command
      .add_option("--skip-volumes", arguments.skipVolumes,
                  "Drop the first N rows of every .tsv, .txt, .par and .1D input")
      ->check(CLI::NonNegativeNumber);
  command.add_flag("--derivatives", arguments.derivatives,
                   "Add to .txt, .par and .1D inputs the backward difference of each column "
                   "(first row 0), named <column>_derivative1");
  command.add_flag("--squares", arguments.squares,
                   "Add to .txt, .par and .1D inputs the square of each column (and of each "
                   "difference), named <column>_power2 (<column>_derivative1_power2)");
}

void addMergeOptions(CLI::App& command, MergeArguments& arguments) {
  command
      .add_option("SECONDARY", arguments.secondaries,
                  "Secondary inputs, in order: design matrices (.sdm), time-course files (.rtc), "
                  "confound tables (.tsv), motion text files (.txt, .par, .1D)")
      ->required();
  command.add_option("--out-dir", arguments.outDir,
                     "Save results in DIR under their suggested file names (created if "
                     "missing); without it, at the suggested paths");
  auto* baseline = command.add_flag("--baseline", arguments.baseline,
                                    "Make every result end with a constant predictor (default)");
  auto* noBaseline = command.add_flag_callback(
      "--no-baseline", [&arguments] { arguments.baseline = false; },
      "Remove a constant last predictor from every result");
  baseline->excludes(noBaseline);
  command.add_flag("--ztrans", arguments.zTransform,
                   "z-transform every non-constant confound of every result");
  command.add_flag("--allcorr", arguments.allCorrelations,
                   "Write a correlation report (.txt) and table (.csv) beside every result");
  command.add_flag("-q,--quiet", arguments.quiet, "No log lines or progress; errors still show");
  addConfoundOptions(command, arguments.confounds);
  command.footer(std::string(kConfoundFiles) + "\n" + kReplaceNote + "\n" + kExitCodes + "\n");
}

int usageError(const std::string& what) {
  std::cerr << "Error: " << what << "\nRun 'duvendal --help' for more information.\n";
  return duv::cli::kUsage;
}

}  // namespace

int main(int argc, char** argv) {
  CLI::App app{
      "duvendal: prepare the design matrices of fMRI regression analyses.\n"
      "Merges a task design (.sdm) with confound matrices (.sdm, .rtc) and the confound files of "
      "other tools (.tsv, .txt, .par, .1D), adds or removes the "
      "constant predictor, z-transforms confounds, and writes correlation tables (.csv) and "
      "multicollinearity reports (.txt).",
      "duvendal"};
  app.set_version_flag("--version", "duvendal " DUVENDAL_VERSION);
  app.require_subcommand(1);
  app.footer(std::string(kExitCodes) + "\n");

  MergeArguments mergeAll;
  auto* mergeAllCommand = app.add_subcommand(
      "merge-all", "Merge the primary design with every secondary one: one result each");
  mergeAllCommand->add_option("--primary", mergeAll.primary, "The primary design matrix (.sdm)")
      ->required();
  addMergeOptions(*mergeAllCommand, mergeAll);

  MergeArguments mergeSecondary;
  auto* mergeSecondaryCommand =
      app.add_subcommand("merge-sec", "Merge all secondary designs, in order, into one result");
  addMergeOptions(*mergeSecondaryCommand, mergeSecondary);

  std::vector<std::string> correlationFiles;
  bool quietCorrelations = false;
  auto* correlationCommand = app.add_subcommand(
      "corr", "Write the correlation report (.txt) and table (.csv) beside each design matrix");
  correlationCommand->add_option("FILE", correlationFiles, "Design matrices (.sdm)")->required();
  correlationCommand->add_flag("-q,--quiet", quietCorrelations,
                               "No log lines or progress; errors still show");
  correlationCommand->footer(std::string(kReplaceNote) + "\n" + kExitCodes + "\n");

  try {
    app.parse(argc, argv);
  } catch (const CLI::CallForHelp& help) {
    return app.exit(help);
  } catch (const CLI::CallForAllHelp& help) {
    return app.exit(help);
  } catch (const CLI::CallForVersion& version) {
    return app.exit(version);
  } catch (const CLI::ParseError& error) {
    return usageError(error.what());
  }

  try {
    if (mergeAllCommand->parsed()) return duv::cli::runMerge(mergeAll, true);
    if (mergeSecondaryCommand->parsed()) return duv::cli::runMerge(mergeSecondary, false);
    return duv::cli::runCorrelations(correlationFiles, quietCorrelations);
  } catch (const std::exception& error) {
    std::cerr << "Error: " << error.what() << '\n';
    return duv::cli::kFailure;
  }
}
