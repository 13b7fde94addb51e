#pragma once

#include <chrono>
#include <thread>

namespace orvel::testing {

// Polls condition until it holds or the deadline passes; returns its last value.
template <typename Condition>
bool PollUntil(Condition condition, std::chrono::steady_clock::duration deadline = std::chrono::seconds(5)) {
  const auto giveUp = std::chrono::steady_clock::now() + deadline;
  while (!condition()) {
    if (std::chrono::steady_clock::now() >= giveUp) return condition();
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  return true;
}

}  // namespace orvel::testing
