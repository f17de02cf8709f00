#include "plugin/module_lookup.h"

#include <dlfcn.h>

#include <gtest/gtest.h>

namespace duv::testing {
namespace {

// The test program itself is an executable named plugin_tests, linked against the C library.

TEST(LoadedModule, ExecutableIsFoundByItsFileName) {
  EXPECT_TRUE(LoadedModule::find("plugin_tests"));
}

TEST(LoadedModule, SharedObjectIsFoundByItsFileNameAndExportsItsFunctions) {
  const LoadedModule libc = LoadedModule::find("libc.so.6");
  ASSERT_TRUE(libc);
  EXPECT_NE(libc.function("strlen"), nullptr);
  EXPECT_EQ(libc.function("noSuchFunctionAnywhere"), nullptr);
}

TEST(LoadedModule, WholeFileNameMustMatch) {
  EXPECT_FALSE(LoadedModule::find("libc.so"));
  EXPECT_FALSE(LoadedModule::find("plugin_test"));
  EXPECT_FALSE(LoadedModule::find("Plugin_tests"));
  EXPECT_FALSE(LoadedModule::find(""));
}

TEST(LoadedModule, ModuleThatIsNotLoadedIsNotLoadedByTheSearch) {
  EXPECT_FALSE(LoadedModule::find("libz.so.1"));
  EXPECT_EQ(dlopen("libz.so.1", RTLD_LAZY | RTLD_NOLOAD), nullptr);
}

TEST(LoadedModule, ExecutableExportsNotWhatItsLibrariesExport) {
  const LoadedModule executable = LoadedModule::find("plugin_tests");
  ASSERT_TRUE(executable);
  EXPECT_EQ(executable.function("strlen"), nullptr);
}

}  // namespace
}  // namespace duv::testing
