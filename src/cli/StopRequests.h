#pragma once

#include <chrono>

namespace orvel::cli {

// Ctrl+C and termination (SIGINT and SIGTERM; on Windows the console's Ctrl+C, Ctrl+Break
// and close), turned into a request the transfer's event pump sees: the first cancels the
// transfer as the window's Cancel does; later ones take their default effect again, so a
// second Ctrl+C ends the program at once.
class StopRequests {
 public:
  StopRequests();
  ~StopRequests();
  StopRequests(const StopRequests&) = delete;
  StopRequests& operator=(const StopRequests&) = delete;

  // Returns once a stop is requested, or after at most `most`.
  void Wait(std::chrono::milliseconds most) const;
  bool Requested() const;
};

}  // namespace orvel::cli
