#pragma once

namespace orvel::sim {

// Owns one POSIX file descriptor and closes it exactly once.
class UniqueFd {
 public:
  UniqueFd() = default;
  explicit UniqueFd(int fd) noexcept : m_fd(fd) {}
  ~UniqueFd() { Reset(); }

  UniqueFd(UniqueFd&& other) noexcept : m_fd(other.Release()) {}
  UniqueFd& operator=(UniqueFd&& other) noexcept {
    if (this != &other) {
      Reset(other.Release());
    }
    return *this;
  }
  UniqueFd(const UniqueFd&) = delete;
  UniqueFd& operator=(const UniqueFd&) = delete;

  int Get() const noexcept { return m_fd; }
  bool Valid() const noexcept { return m_fd >= 0; }
  int Release() noexcept {
    const int fd = m_fd;
    m_fd = -1;
    return fd;
  }
  void Reset(int fd = -1) noexcept;

 private:
  int m_fd = -1;
};

}  // namespace orvel::sim
