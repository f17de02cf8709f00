#include "plugin/host_bridge.h"

#include <gtest/gtest.h>

#include <cstring>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "plugin/hkzn_log.h"
#include "tests/support/expect_error.h"

namespace duv::testing {
namespace {

// What a host does: copies the whole text with its terminator, not knowing the room's size.
void writeLikeTheHost(char* buffer, const std::string& text) {
  std::memcpy(buffer, text.c_str(), text.size() + 1);
}

// What the fake host functions saw and answer.
std::vector<std::string> calls;
std::string answer;
int saveResult = 0;

void getStringParameter(const char* name, char* buffer) {
  calls.push_back(std::string("get ") + name);
  writeLikeTheHost(buffer, answer);
}
int getSaveFileName(const char* title, const char* suggestedName, const char* filter,
                    char* buffer) {
  calls.push_back(std::string("save ") + title + "|" + suggestedName + "|" + filter);
  if (saveResult != 0) writeLikeTheHost(buffer, answer);
  return saveResult;
}
void getOpenFileName(const char* title, const char* second, const char* filter, char* buffer) {
  calls.push_back(std::string("open ") + title + "|" + second + "|" + filter);
  writeLikeTheHost(buffer, answer);
}
void logText(const char* text) { calls.push_back(std::string("log ") + text); }

class HostBridgeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    calls.clear();
    answer.clear();
    saveResult = 0;
    host.znGetStringParameter = getStringParameter;
    host.znGetSaveFileName = getSaveFileName;
    host.znGetOpenFileName = getOpenFileName;
  }

  HostFunctionTable host;
  HKZNLog log{logText};
  HostBridge bridge{host, log};
};

TEST_F(HostBridgeTest, ListOfSecondaryFilesMayBeFarLongerThanAPath) {
  answer = std::string(65535, 'l');
  EXPECT_EQ(bridge.stringParameter("sdms2"), answer);
  expectError<std::runtime_error>([&] { bridge.stringParameter("sdm1"); },
                                  "The value of the dialog parameter \"sdm1\" is longer than "
                                  "4095 bytes");
  answer += 'l';
  expectError<std::runtime_error>([&] { bridge.stringParameter("sdms2"); },
                                  "The value of the dialog parameter \"sdms2\" is longer than "
                                  "65535 bytes");
}

TEST_F(HostBridgeTest, CancelledSaveDialogGivesNoPath) {
  answer = "/out/result.sdm";
  EXPECT_EQ(bridge.saveFileName("Title", "/in/a_b.sdm", "Filter (*.sdm)"), std::nullopt);
  saveResult = 1;
  EXPECT_EQ(bridge.saveFileName("Title", "/in/a_b.sdm", "Filter (*.sdm)"), "/out/result.sdm");
  EXPECT_EQ(calls, (std::vector<std::string>{"save Title|/in/a_b.sdm|Filter (*.sdm)",
                                             "save Title|/in/a_b.sdm|Filter (*.sdm)"}));
}

TEST_F(HostBridgeTest, OpenDialogGetsAnEmptySecondText) {
  answer = "/in/a.sdm";
  EXPECT_EQ(bridge.openFileName("Select", "Filter (*.sdm)"), "/in/a.sdm");
  EXPECT_EQ(calls, std::vector<std::string>{"open Select||Filter (*.sdm)"});
}

TEST_F(HostBridgeTest, LogMessageIsOneCallInTheHostLogForm) {
  bridge.log(">  Saved ", "/out/r.sdm");
  EXPECT_EQ(calls, std::vector<std::string>{"log \nDuvendal>  Saved /out/r.sdm"});
}

TEST_F(HostBridgeTest, MissingHostFunctionIsAnErrorInsteadOfACall) {
  expectError<std::runtime_error>([&] { bridge.intParameter("ztans"); },
                                  "The host does not offer znGetIntParameter");
  expectError<std::runtime_error>([&] { bridge.messageBox("text"); },
                                  "The host does not offer znMessageBox");
  expectError<std::runtime_error>([&] { bridge.setStringParameter("sdmfile", ""); },
                                  "The host does not offer znSetStringParameter");
}

}  // namespace
}  // namespace duv::testing
