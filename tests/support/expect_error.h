#pragma once

#include <gtest/gtest.h>

#include <string>

namespace duv::testing {

// Runs `action` and checks that it throws an `Exception` whose message is exactly `message`.
template <typename Exception, typename Action>
void expectError(Action&& action, const std::string& message) {
  try {
    action();
    ADD_FAILURE() << "no error; expected: " << message;
  } catch (const Exception& error) {
    EXPECT_EQ(error.what(), message);
  } catch (const std::exception& error) {
    ADD_FAILURE() << "another kind of error: " << error.what();
  }
}

}  // namespace duv::testing
