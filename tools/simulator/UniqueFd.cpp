#include "simulator/UniqueFd.h"

#include <unistd.h>

namespace orvel::sim {

void UniqueFd::Reset(int fd) noexcept {
  if (m_fd >= 0) {
    ::close(m_fd);
  }
  m_fd = fd;
}

}  // namespace orvel::sim
