#pragma once
// Checks that a call throws std::runtime_error with exactly the given message.
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

#define EXPECT_RUNTIME_ERROR(statement, message)                            \
  do {                                                                      \
    try {                                                                   \
      statement;                                                            \
      ADD_FAILURE() << "no error from: " #statement;                        \
    } catch (const std::runtime_error& e) {                                 \
      EXPECT_EQ(std::string(e.what()), std::string(message)) << #statement; \
    }                                                                       \
  } while (0)
