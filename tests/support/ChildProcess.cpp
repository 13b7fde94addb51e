#include "ChildProcess.h"

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <stdexcept>

extern char** environ;

namespace orvel::testing {
namespace {

std::array<int, 2> Pipe() {
  int ends[2];
  if (::pipe2(ends, O_CLOEXEC) != 0) throw std::runtime_error(std::string("pipe: ") + std::strerror(errno));
  return {ends[0], ends[1]};
}

}  // namespace

ChildProcess::ChildProcess(const std::vector<std::string>& commandLine) {
  const auto out = Pipe();
  const auto err = Pipe();
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
  posix_spawn_file_actions_adddup2(&actions, err[1], STDERR_FILENO);
  std::vector<char*> argv;
  for (const std::string& word : commandLine) argv.push_back(const_cast<char*>(word.c_str()));
  argv.push_back(nullptr);
  const int failure = posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  ::close(out[1]);
  ::close(err[1]);
  out_ = out[0];
  err_ = err[0];
  if (failure != 0) {
    ::close(out_);
    ::close(err_);
    throw std::runtime_error("cannot start " + commandLine.front() + ": " + std::strerror(failure));
  }
}

ChildProcess::~ChildProcess() {
  if (pid_ > 0) {
    ::kill(pid_, SIGKILL);
    ::waitpid(pid_, nullptr, 0);
  }
  if (out_ >= 0) ::close(out_);
  if (err_ >= 0) ::close(err_);
}

void ChildProcess::Signal(int signalNumber) const { ::kill(pid_, signalNumber); }

ChildResult ChildProcess::Finish(std::chrono::milliseconds timeout) {
  ChildResult result;
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  std::array<pollfd, 2> streams{pollfd{out_, POLLIN, 0}, pollfd{err_, POLLIN, 0}};
  std::array<std::string*, 2> into{&result.out, &result.err};
  int open = 2;
  while (open > 0) {
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0) {
      result.timedOut = true;
      ::kill(pid_, SIGKILL);
      break;
    }
    if (::poll(streams.data(), streams.size(), static_cast<int>(left.count())) < 0 && errno != EINTR) break;
    for (std::size_t at = 0; at < streams.size(); ++at) {
      if (streams[at].fd < 0 || streams[at].revents == 0) continue;
      char buffer[4096];
      const ssize_t got = ::read(streams[at].fd, buffer, sizeof buffer);
      if (got > 0) {
        into[at]->append(buffer, static_cast<std::size_t>(got));
      } else if (got == 0 || errno != EINTR) {
        streams[at].fd = -1;
        --open;
      }
    }
  }
  int status = 0;
  ::waitpid(pid_, &status, 0);
  pid_ = -1;
  if (!result.timedOut && WIFEXITED(status)) result.exitStatus = WEXITSTATUS(status);
  return result;
}

ChildResult ChildProcess::Run(const std::vector<std::string>& commandLine, std::chrono::milliseconds timeout) {
  return ChildProcess(commandLine).Finish(timeout);
}

}  // namespace orvel::testing
