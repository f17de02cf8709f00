#include "cli/check_command.h"

#include <exception>
#include <iostream>

#include "check/check_html.h"
#include "check/check_output.h"
#include "cli/commands.h"
#include "cli/output_plan.h"
#include "cli/tool_log.h"
#include "design/file_system.h"
#include "design/text.h"
#include "workflow/result_names.h"

namespace duv::cli {
namespace {

CheckedFile checkedFile(const std::string& path, const CheckThresholds& thresholds,
                        const ConfoundOptions& confounds, const LogSink& log) {
  CheckedFile file;
  file.path = path;
  try {
    file.design = readInputFile(toolInput(path), confounds, realFileSystem(), log);
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
  ToolLog log(std::cerr, false, false);
  CheckRun run;
  run.thresholds = arguments.thresholds;
  run.showAll = arguments.showAll;
  bool anyUnreadable = false;
  for (const auto& path : arguments.files) {
    run.files.push_back(checkedFile(path, arguments.thresholds, confounds, log.sink()));
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

std::string htmlPathFor(const std::string& designPath, const std::string& htmlDir) {
  return pathInFolder(replaceExtension(fileNameOf(designPath), ".html"), htmlDir);
}

void writeDesignHtml(const std::string& path, const DesignMatrix& design,
                     const std::string& htmlPath) {
  CheckRun run;
  CheckedFile file;
  file.path = path;
  file.design = design;
  file.check = checkDesign(file.design, run.thresholds);
  run.files.push_back(std::move(file));
  writeFile(realFileSystem(), htmlPath, [&run](std::ostream& out) { writeCheckHtml(run, out); });
}

}  // namespace duv::cli
