#include "stats/correlate_task.h"

#include "design/sdm_reader.h"
#include "design/text.h"
#include "merge/workflow_texts.h"
#include "stats/correlation.h"
#include "stats/correlation_report.h"

namespace duv {

void correlateSdm(HostServices& host, FileSystem& files) {
  const auto matrix = readSdmFile(host.stringParameter(texts::kPrimaryParameter), files);
  writeCorrelationReport(matrix, files);
  writeCorrelationTable(matrix, files);
  host.log(texts::kSavedCorrelationsLog, pathWithoutExtension(matrix.fileName) + ".csv");
}

}  // namespace duv
