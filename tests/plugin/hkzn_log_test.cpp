#include "plugin/hkzn_log.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "plugin/log_message.h"

namespace duv::testing {
namespace {

std::vector<std::string> delivered;

void recordLogText(const char* text) { delivered.emplace_back(text); }

class HkznLogTest : public ::testing::Test {
 protected:
  void SetUp() override { delivered.clear(); }
};

TEST_F(HkznLogTest, InsertionsWaitForTheFlush) {
  HKZNLog log(recordLogText);
  log << "a" << 12 << '\n';
  EXPECT_TRUE(delivered.empty());
  log << std::flush;
  EXPECT_EQ(delivered, std::vector<std::string>{"a12\n"});
}

TEST_F(HkznLogTest, EachFlushDeliversOnlyWhatCameSinceThePreviousOne) {
  HKZNLog log(recordLogText);
  log << "\nfirst" << std::flush << "\nsecond\r\n\tline" << std::flush;
  EXPECT_EQ(delivered, (std::vector<std::string>{"\nfirst", "\nsecond\r\n\tline"}));
}

TEST_F(HkznLogTest, FlushWithNothingInsertedDeliversTheEmptyText) {
  HKZNLog log(recordLogText);
  log.flush();
  EXPECT_EQ(delivered, std::vector<std::string>{""});
  EXPECT_TRUE(log.good());
}

TEST_F(HkznLogTest, DestructionDeliversTheRestOrTheEmptyText) {
  std::optional<HKZNLog> log(std::in_place, recordLogText);
  *log << "unflushed";
  log.reset();
  EXPECT_EQ(delivered, std::vector<std::string>{"unflushed"});

  delivered.clear();
  log.emplace(recordLogText);
  *log << "flushed" << std::flush;
  log.reset();
  EXPECT_EQ(delivered, (std::vector<std::string>{"flushed", ""}));
}

TEST_F(HkznLogTest, WithoutLogFunctionTextIsDropped) {
  HKZNLog log(nullptr);
  log << "dropped" << std::flush;
  EXPECT_TRUE(log.good());
}

TEST_F(HkznLogTest, MessageIsOneCallInTheHostLogForm) {
  HKZNLog log(recordLogText);
  writeLogMessage(log, ">  Saved ", "/data/a b.sdm");
  writeLogMessage(log, ">  Running...");
  EXPECT_EQ(delivered, (std::vector<std::string>{"\nDuvendal>  Saved /data/a b.sdm",
                                                 "\nDuvendal>  Running..."}));
}

}  // namespace
}  // namespace duv::testing
