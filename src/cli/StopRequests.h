#pragma once

namespace orvel::cli {

// Ctrl+C and termination, turned into a request the transfer's event pump sees: the
// first cancels the transfer as the window's Cancel does; the signals then take their
// default effect again, so a second Ctrl+C ends the program at once.
class StopRequests {
 public:
  StopRequests();
  ~StopRequests();
  StopRequests(const StopRequests&) = delete;
  StopRequests& operator=(const StopRequests&) = delete;

  // Readable once a stop was requested; for poll().
  int Descriptor() const;
  bool Requested() const;
};

}  // namespace orvel::cli
