#include "TesterProcess.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <thread>

namespace orvel::bench {
namespace {

constexpr const char* kReadyText = "Open this device as the serial port: ";

std::string DevicePathFromLog(const std::filesystem::path& log) {
  std::ifstream in(log);
  std::string line;
  while (std::getline(in, line)) {
    const std::size_t at = line.find(kReadyText);
    if (at != std::string::npos) return line.substr(at + std::char_traits<char>::length(kReadyText));
  }
  return {};
}

}  // namespace

TesterProcess::TesterProcess(const std::vector<std::string>& arguments, const std::filesystem::path& logFolder) {
  const std::filesystem::path log = logFolder / "tester.log";
  std::vector<std::string> command{ORVEL_TESTER_SIM};
  command.insert(command.end(), arguments.begin(), arguments.end());
  std::vector<char*> argv;
  for (std::string& word : command) argv.push_back(word.data());
  argv.push_back(nullptr);

  pid_ = ::fork();
  if (pid_ < 0) throw std::runtime_error("cannot start the simulated tester: fork failed");
  if (pid_ == 0) {
    const int out = ::open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (out >= 0) {
      ::dup2(out, STDOUT_FILENO);
      ::dup2(out, STDERR_FILENO);
    }
    ::execv(argv[0], argv.data());
    _exit(127);
  }
  const auto giveUp = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while ((devicePath_ = DevicePathFromLog(log)).empty()) {
    if (std::chrono::steady_clock::now() > giveUp || ::waitpid(pid_, nullptr, WNOHANG) == pid_) {
      throw std::runtime_error("the simulated tester did not start; see " + log.string());
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
}

TesterProcess::~TesterProcess() {
  ::kill(pid_, SIGTERM);
  ::waitpid(pid_, nullptr, 0);
}

}  // namespace orvel::bench
