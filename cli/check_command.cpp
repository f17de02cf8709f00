#include "cli/check_command.h"

#include <exception>
#include <iostream>
#include <stdexcept>

#include "check/check_html.h"
#include "check/check_output.h"
#include "cli/command_line_host.h"
#include "cli/commands.h"
#include "cli/output_plan.h"
#include "cli/secondary_inputs.h"
#include "design/file_system.h"
#include "design/text.h"

namespace duv::cli {
namespace {

CheckedFile checkedFile(const std::string& path, const CheckThresholds& thresholds,
                        const ConfoundOptions& confounds, HostServices& host) {
  CheckedFile file;
  file.path = path;
  try {
    file.design = readSecondaryInput(path, confounds, host, realFileSystem());
  } catch (const std::exception& error) {
    file.readError = error.what();
    return file;
  }
  file.check = checkDesign(file.design, thresholds);
  return file;
}

void writeResults(const CheckRun& run, CheckFormat format) {
  switch (format) {
    case CheckFormat::text:
      writeCheckText(run, std::cout);
      break;
    case CheckFormat::tsv:
      writeCheckTsv(run, std::cout);
      break;
    case CheckFormat::json:
      writeCheckJson(run, std::cout);
      break;
  }
  std::cout.flush();
}

}  // namespace

int runCheck(const CheckArguments& arguments) {
  if (arguments.html) checkOutputs({*arguments.html}, arguments.files);
  const auto confounds = confoundOptionsFor(arguments.files, arguments.confounds);
  CommandLineHost host(std::cerr, std::nullopt, false, false);
  CheckRun run;
  run.thresholds = arguments.thresholds;
  bool anyUnreadable = false;
  for (const auto& path : arguments.files) {
    run.files.push_back(checkedFile(path, arguments.thresholds, confounds, host));
    if (run.files.back().readError) {
      std::cerr << "Error: " << *run.files.back().readError << '\n';
      anyUnreadable = true;
    }
  }
  writeResults(run, arguments.format);
  if (arguments.html) {
    writeFile(realFileSystem(), *arguments.html,
              [&run](std::ostream& out) { writeCheckHtml(run, out); });
  }
  if (anyUnreadable) return kFailure;
  const auto worst = worstLevel(run);
  return worst && *worst >= arguments.failOn ? kWarningsAtLevel : kSuccess;
}

std::string htmlPathFor(const std::string& matrixPath, const std::string& htmlDir) {
  std::string path = htmlDir;
  if (!path.empty() && path.back() != '/' && path.back() != '\\') path += '/';
  return path + pathWithoutExtension(fileNameOf(matrixPath)) + ".html";
}

void writeDesignHtml(const std::string& matrixPath, const std::string& htmlPath) {
  CheckRun run;
  CommandLineHost quiet(std::cerr, std::nullopt, true, false);  // a saved SDM logs nothing
  run.files.push_back(checkedFile(matrixPath, run.thresholds, {}, quiet));
  if (run.files.back().readError) throw std::runtime_error(*run.files.back().readError);
  writeFile(realFileSystem(), htmlPath, [&run](std::ostream& out) { writeCheckHtml(run, out); });
}

}  // namespace duv::cli
