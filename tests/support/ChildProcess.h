#pragma once

#include <sys/types.h>

#include <chrono>
#include <string>
#include <vector>

namespace orvel::testing {

// What a finished program left behind.
struct ChildResult {
  int exitStatus = -1;  // -1 when it was ended by a signal or had to be killed
  bool timedOut = false;
  std::string out;
  std::string err;
};

// A program run as a child process with its own standard output and error captured and
// its standard input empty (not a terminal).
class ChildProcess {
 public:
  explicit ChildProcess(const std::vector<std::string>& commandLine);
  // Kills a child still running.
  ~ChildProcess();
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  void Signal(int signalNumber) const;
  // Collects its output until it ends; kills it after timeout (timedOut is then set).
  ChildResult Finish(std::chrono::milliseconds timeout);

  // Runs a program to its end.
  static ChildResult Run(const std::vector<std::string>& commandLine, std::chrono::milliseconds timeout);

 private:
  pid_t pid_ = -1;
  int out_ = -1;
  int err_ = -1;
};

}  // namespace orvel::testing
