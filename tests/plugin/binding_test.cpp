// The plug-in's life cycle in the emulated hosts: finding the host by its module name,
// checking its version, and what reaches the host's log.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/plugin/host_session.h"

namespace duv::testing {
namespace {

using Lines = std::vector<std::string>;

Lines concatenated(std::initializer_list<Lines> parts) {
  Lines all;
  for (const Lines& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}

const Lines lifeCycle = {"create", "init", "destroy"};

TEST(Binding, HostExecutableNamedHalvernZnIsBoundAndLogged) {
  const HostRun run = runHost(BuiltFiles::halvernZnHost, lifeCycle);
  ASSERT_EQ(run.exitStatus, 0) << run.output;
  EXPECT_EQ(run.record, concatenated({{"createPlugin()"}, initialisedLines(), deletedLines()}));
}

TEST(Binding, HostExecutableNamedHalvernIsBound) {
  const HostRun run = runHost(BuiltFiles::halvernHost, lifeCycle);
  ASSERT_EQ(run.exitStatus, 0) << run.output;
  EXPECT_EQ(run.record, concatenated({{"createPlugin()"}, initialisedLines(), deletedLines()}));
}

TEST(Binding, ModuleNamedHalvernWinsOverExecutableNamedHalvernZn) {
  const HostRun run =
      runHost(BuiltFiles::halvernZnHost, lifeCycle, {"--host-module", BuiltFiles::halvernModule});
  ASSERT_EQ(run.exitStatus, 0) << run.output;
  EXPECT_EQ(run.record, concatenated({{"createPlugin()"},
                                      initialisedLines("[Halvern.exe] "),
                                      deletedLines("[Halvern.exe] ")}));
}

TEST(Binding, ModuleNamedHalvernIsFoundInAnExecutableOfAnotherName) {
  const HostRun run =
      runHost(BuiltFiles::otherHost, lifeCycle, {"--host-module", BuiltFiles::halvernModule});
  ASSERT_EQ(run.exitStatus, 0) << run.output;
  EXPECT_EQ(run.record, concatenated({{"createPlugin()"},
                                      initialisedLines("[Halvern.exe] "),
                                      deletedLines("[Halvern.exe] ")}));
}

TEST(Binding, WithoutHostModuleInitialisationFailsWithoutAnyHostCall) {
  const HostRun run = runHost(BuiltFiles::otherHost, {"create", "init", "execute", "destroy"});
  ASSERT_EQ(run.exitStatus, 0) << run.output;
  EXPECT_EQ(run.record, (Lines{"createPlugin()", "initPlugin()", "initPlugin returned false",
                               "execute()", "execute returned false", "delete plugin"}));
}

TEST(Binding, HostExportingOnlyItsVersionIsBoundAndNothingElseIsCalled) {
  const HostRun run =
      runHost(BuiltFiles::versionOnlyHost, {"create", "init", "execute", "destroy"});
  ASSERT_EQ(run.exitStatus, 0) << run.output;
  EXPECT_EQ(run.record, (Lines{"createPlugin()", "initPlugin()",
                               "znGetVersionOfHalvernZN() -> 2.8.0", "initPlugin returned true",
                               "execute()", "execute returned false", "delete plugin"}));
}

TEST(Binding, TooOldHostWithoutMessageBoxIsRefusedSilently) {
  const HostRun run = runHost(BuiltFiles::versionOnlyHost, {"version 2 7 99", "create", "init"});
  ASSERT_EQ(run.exitStatus, 0) << run.output;
  EXPECT_EQ(run.record,
            (Lines{"createPlugin()", "initPlugin()", "znGetVersionOfHalvernZN() -> 2.7.99",
                   "initPlugin returned false"}));
}

TEST(Version, HostOlderThan280IsToldAndRefused) {
  const HostRun run = runHost({"version 2 7 99", "create", "init", "execute", "destroy"});
  ASSERT_EQ(run.exitStatus, 0) << run.output;
  EXPECT_EQ(run.record,
            concatenated({{"createPlugin()", "initPlugin()", "znGetVersionOfHalvernZN() -> 2.7.99",
                           std::string("znMessageBox(\"Can not execute this plugin - HalvernZN "
                                       "version 2.8 or higher required.\")"),
                           "initPlugin returned false", "execute()", "execute returned false"},
                          deletedLines()}));
}

TEST(Version, NewerHostsAreAccepted) {
  for (const std::string version : {"2 8 0", "2 10 0", "3 0 0"}) {
    const HostRun run = runHost({"version " + version, "create", "init"});
    ASSERT_EQ(run.exitStatus, 0) << run.output;
    ASSERT_GE(run.record.size(), 3U);
    EXPECT_EQ(run.record.back(), "initPlugin returned true") << version;
  }
}

TEST(LifeCycle, RepeatedInitialisationClosesTheEarlierLogFirst) {
  const HostRun run = runHost({"create", "init", "init"});
  ASSERT_EQ(run.exitStatus, 0) << run.output;
  EXPECT_EQ(run.record,
            concatenated({{"createPlugin()"},
                          initialisedLines(),
                          {"initPlugin()", R"(znLogText(""))", "znGetVersionOfHalvernZN() -> 2.8.0",
                           "znShowLogTab()", R"(znLogText("\nDuvendal>  Running..."))",
                           "initPlugin returned true"}}));
}

TEST(LifeCycle, PluginNeverInitialisedLeavesTheHostAlone) {
  const HostRun run = runHost({"create", "destroy"});
  ASSERT_EQ(run.exitStatus, 0) << run.output;
  EXPECT_EQ(run.record, (Lines{"createPlugin()", "delete plugin"}));
}

TEST(LifeCycle, InformationFunctionsAnswerBeforeAnyPluginExists) {
  const HostRun run = runHost({"info"});
  ASSERT_EQ(run.exitStatus, 0) << run.output;
  EXPECT_EQ(
      run.record,
      (Lines{
          R"(getPluginName() returned "Duvendal")",
          R"(getPluginDescription() returned "Offers 2 ways to efficiently merge SDMs and also check the correlations between the predictors.")",
          R"(getPluginVersion() returned "1.0")",
          R"(getHelpFile() returned "HelpFolder/index.html")",
          R"(getGUIScript() returned "Duvendal.js")",
          R"(getAuthor() returned "<i>The Duvendal developers</i>")"}));
}

}  // namespace
}  // namespace duv::testing
