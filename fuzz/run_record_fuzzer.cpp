// Fuzz target: run records through their reader, as `study --group-only` reads them from a
// study's output folder, and on into the group outputs. The input is the text of one record's
// file. It reads as a record or is refused with an error naming the file. A record that reads
// is written as a text that reads again into the same text, and the group table, TSV and page
// are drawn from it, alone and beside a copy of itself, to a stream that discards them: a hang
// or a crash there, over values any record may hold, is a finding too.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <ostream>
#include <stdexcept>
#include <streambuf>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz/fuzz_checks.h"
#include "study/group_html.h"
#include "study/group_table.h"
#include "study/group_tsv.h"
#include "study/run_record_file.h"

namespace {

const std::string kRecordPath = "out/sub-01/sub-01_run-1.run.json";

bool startsWith(std::string_view text, std::string_view prefix) {
  return text.substr(0, prefix.size()) == prefix;
}

// Takes every character and keeps none.
class DiscardingBuffer final : public std::streambuf {
 protected:
  int overflow(int c) override { return traits_type::not_eof(c); }
  std::streamsize xsputn(const char*, std::streamsize count) override { return count; }
};

void drawGroupOutputs(const std::vector<duv::RunRecord>& runs) {
  DiscardingBuffer buffer;
  std::ostream out(&buffer);
  const auto table = duv::groupTable(runs);
  if (table.rows.size() != runs.size()) duv::fuzz::fail("a group table without a row per run");
  duv::writeGroupTsv(runs, out);
  duv::writeGroupHtml(runs, {}, out);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  duv::RunRecord record;
  try {
    record = duv::parseRunRecord(text, kRecordPath);
  } catch (const std::runtime_error& error) {
    if (!startsWith(error.what(), kRecordPath + ": ") &&
        !startsWith(error.what(), kRecordPath + ", line ")) {
      std::fprintf(stderr, "%s\n", error.what());
      duv::fuzz::fail("a record's error does not name its file");
    }
    return 0;
  }
  const auto written = duv::runRecordText(record);
  if (duv::runRecordText(duv::parseRunRecord(written, kRecordPath)) != written) {
    duv::fuzz::fail("a record written does not read back as written");
  }
  drawGroupOutputs({record});
  drawGroupOutputs({record, record});
  return 0;
}
