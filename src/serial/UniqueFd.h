#pragma once

#include <unistd.h>

#include <utility>

namespace orvel {

// Owns a POSIX file descriptor from the moment it exists, so every path out of
// a function that opened it also closes it.
class UniqueFd {
 public:
  UniqueFd() noexcept = default;
  explicit UniqueFd(int fd) noexcept : fd_(fd) {}
  UniqueFd(UniqueFd&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
  UniqueFd& operator=(UniqueFd&& other) noexcept {
    if (this != &other) {
      Close();
      fd_ = std::exchange(other.fd_, -1);
    }
    return *this;
  }
  UniqueFd(const UniqueFd&) = delete;
  UniqueFd& operator=(const UniqueFd&) = delete;
  ~UniqueFd() { Close(); }

  int Get() const noexcept { return fd_; }
  explicit operator bool() const noexcept { return fd_ >= 0; }

 private:
  void Close() noexcept {
    if (fd_ >= 0) {
      ::close(fd_);
    }
  }

  int fd_ = -1;
};

}  // namespace orvel
