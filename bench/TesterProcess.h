#pragma once

#include <sys/types.h>

#include <filesystem>
#include <string>
#include <vector>

namespace orvel::bench {

// The simulated tester as a program of its own, so that the CPU time the benchmark
// measures is the program's alone.
class TesterProcess {
 public:
  // arguments go to orvel-tester-sim after its path; its output goes to a file in logFolder.
  TesterProcess(const std::vector<std::string>& arguments, const std::filesystem::path& logFolder);
  ~TesterProcess();
  TesterProcess(const TesterProcess&) = delete;
  TesterProcess& operator=(const TesterProcess&) = delete;

  const std::string& DevicePath() const { return devicePath_; }

 private:
  pid_t pid_ = -1;
  std::string devicePath_;
};

}  // namespace orvel::bench
