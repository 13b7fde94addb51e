#pragma once

#include "PtyPair.h"

#include "serial/PortErrors.h"
#include "serial/TSerialPort.h"

#include <gtest/gtest.h>

#include <chrono>
#include <ctime>
#include <functional>
#include <string>
#include <thread>

namespace orvel::testing {

// Polls condition until it holds or the deadline passes; returns its last value.
// The deadline is generous on purpose: it only matters when something is broken.
inline bool Eventually(const std::function<bool()>& condition,
                       std::chrono::milliseconds deadline = std::chrono::seconds(5)) {
  const auto giveUp = std::chrono::steady_clock::now() + deadline;
  while (!condition()) {
    if (std::chrono::steady_clock::now() > giveUp) {
      return condition();
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return true;
}

// Sets the port up as the Configure IDs window does and opens it on port 1.
inline void OpenAsTesterPort(TSerialPort& port) {
  port.SetSettings(TesterPortSettings());
  port.SetComNumber(1);
  port.SetOpen(true);
}

// A port opened on a fresh pseudo-terminal, as the window opens it.
class OpenPortTest : public ::testing::Test {
 protected:
  void SetUp() override { OpenAsTesterPort(port); }

  PtyPair pty;
  TSerialPort port{pty.Map()};
};

// Runs operation and checks that it raises exactly Error with the port's code
// and message.
template <typename Error>
void ExpectPortError(const std::function<void()>& operation, int errorCode, const std::string& message) {
  try {
    operation();
    ADD_FAILURE() << "expected \"" << message << "\", nothing was raised";
  } catch (const Error& error) {
    EXPECT_EQ(error.ErrorCode(), errorCode);
    EXPECT_EQ(std::string(error.what()), message);
  }
}

// Names each case of a parameterised test by its `name` member.
struct CaseName {
  template <typename Case>
  std::string operator()(const ::testing::TestParamInfo<Case>& testCase) const {
    return testCase.param.name;
  }
};

// Bytes whose values follow their positions, over nearly the whole byte range,
// so a lost, repeated or reordered run shows unless its length is a multiple of 251.
inline std::string Pattern(std::size_t length, std::size_t offset = 0) {
  std::string bytes(length, '\0');
  for (std::size_t i = 0; i < length; ++i) {
    bytes[i] = static_cast<char>((offset + i) % 251);
  }
  return bytes;
}

inline std::chrono::nanoseconds ProcessCpuTime() {
  timespec used{};
  ::clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &used);
  return std::chrono::seconds(used.tv_sec) + std::chrono::nanoseconds(used.tv_nsec);
}

// CPU time the whole process burns over a stretch of wall time in which it has
// nothing to do: well under a millisecond when every thread waits as it should,
// a good part of the stretch when a worker spins.
inline std::chrono::nanoseconds IdleCpuTimeOver(std::chrono::milliseconds stretch) {
  const auto before = ProcessCpuTime();
  std::this_thread::sleep_for(stretch);
  return ProcessCpuTime() - before;
}

}  // namespace orvel::testing
