#include "workflow/correlate_workflow.h"

#include "stats/correlation.h"
#include "stats/correlation_report.h"
#include "workflow/workflow_texts.h"

namespace duv {

void correlateDesign(const DesignMatrix& design, FileSystem& files, const LogSink& log,
                     std::size_t workers) {
  writeCorrelationReport(design, files, workers);
  writeCorrelationTable(design, files);
  log(texts::kSavedCorrelationsLog, correlationTablePath(design.fileName));
}

}  // namespace duv
