// duvendal: the command-line tool over the plug-in's core. See --help.

#include <CLI/CLI.hpp>

#include <exception>
#include <iostream>
#include <string>

#include "cli/commands.h"

namespace {

using duv::cli::MergeArguments;

constexpr const char* kReplaceNote =
    "Existing output files are replaced; each is written to a temporary file first and put in "
    "place only when complete, so a failed run never leaves a half-written file.";

constexpr const char* kExitCodes =
    "Exit codes: 0 success, 1 failure (a file that cannot be read or written, ...), 2 the "
    "inputs differ in their number of data points, 64 usage error.";

void addMergeOptions(CLI::App& command, MergeArguments& arguments) {
  command
      .add_option("SECONDARY", arguments.secondaries,
                  "Secondary design matrices (.sdm) or time-course files (.rtc), in order")
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
  command.footer(std::string(kReplaceNote) + "\n" + kExitCodes + "\n");
}

int usageError(const std::string& what) {
  std::cerr << "Error: " << what << "\nRun 'duvendal --help' for more information.\n";
  return duv::cli::kUsage;
}

}  // namespace

int main(int argc, char** argv) {
  CLI::App app{
      "duvendal: prepare the design matrices of fMRI regression analyses.\n"
      "Merges a task design (.sdm) with confound matrices (.sdm, .rtc), adds or removes the "
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
