#include "plugin/host_text_buffer.h"

#include <gtest/gtest.h>

#include <cstring>
#include <stdexcept>
#include <string>

#include "tests/support/expect_error.h"

namespace duv::testing {
namespace {

// What a host does: copies the whole text with its terminator, not knowing the room's size.
void writeLikeTheHost(HostTextBuffer& buffer, const std::string& text) {
  std::memcpy(buffer.data(), text.c_str(), text.size() + 1);
}

TEST(HostTextBuffer, StartsAsTheEmptyText) {
  const HostTextBuffer buffer(16);
  EXPECT_EQ(buffer.text("value"), "");
}

TEST(HostTextBuffer, TextUpToItsTerminatorIsRead) {
  HostTextBuffer buffer(16);
  std::memcpy(buffer.data(), "abc\0def", 8);
  EXPECT_EQ(buffer.text("value"), "abc");
}

TEST(HostTextBuffer, TextFillingTheWholeRoomIsRead) {
  HostTextBuffer buffer(16);
  const std::string text(15, 'x');
  writeLikeTheHost(buffer, text);
  EXPECT_EQ(buffer.text("value"), text);
}

TEST(HostTextBuffer, TextWhoseTerminatorFallsOutsideIsRefused) {
  HostTextBuffer buffer(16);
  writeLikeTheHost(buffer, std::string(16, 'x'));
  expectError<std::runtime_error>(
      [&] { buffer.text("value of the dialog parameter \"sdm1\""); },
      "The value of the dialog parameter \"sdm1\" is longer than 15 bytes");
}

TEST(HostTextBuffer, TextReachingFarIntoTheGuardIsRefused) {
  HostTextBuffer buffer(listCapacity);
  writeLikeTheHost(buffer, std::string(listCapacity + 1000, 'x'));
  expectError<std::runtime_error>([&] { buffer.text("list"); },
                                  "The list is longer than 65535 bytes");
}

TEST(HostTextBuffer, WritingIntoTheGuardIsRefusedEvenWithATerminatorInside) {
  HostTextBuffer buffer(16);
  buffer.data()[0] = 'a';
  buffer.data()[1] = '\0';
  buffer.data()[100] = '\0';
  expectError<std::runtime_error>([&] { buffer.text("path"); }, "The path is longer than 15 bytes");
}

}  // namespace
}  // namespace duv::testing
