#include "simulator/ReplyWriter.h"

#include "simulator/SystemError.h"

#include <poll.h>
#include <unistd.h>
#include <algorithm>
#include <cerrno>
#include <chrono>

namespace orvel::sim {
namespace {

using Clock = std::chrono::steady_clock;

// 8N1 puts ten bits on the line for every byte.
constexpr std::chrono::nanoseconds ByteTime{10 * 1'000'000'000LL / 9600};
constexpr std::size_t PacedChunk = 4;

}  // namespace

WriteOutcome ReplyWriter::Send(const Outgoing& outgoing, Pacing pacing) const {
  const std::string& bytes = outgoing.bytes;
  const std::size_t pieceSize = (bytes.size() + outgoing.pieces - 1) / outgoing.pieces;
  for (std::size_t offset = 0; offset < bytes.size(); offset += pieceSize) {
    if (offset != 0 && !m_stop.SleepFor(outgoing.gap)) {
      return WriteOutcome::Stopped;
    }
    const WriteOutcome outcome = WritePaced(std::string_view(bytes).substr(offset, pieceSize), pacing);
    if (outcome != WriteOutcome::Sent) {
      return outcome;
    }
  }
  return WriteOutcome::Sent;
}

// Chunk times are measured from the start, so waits that overshoot do not add up; the
// piece is not over until its last byte would have left the line.
WriteOutcome ReplyWriter::WritePaced(std::string_view bytes, Pacing pacing) const {
  if (pacing == Pacing::Immediate) {
    return WriteNow(bytes);
  }
  const Clock::time_point start = Clock::now();
  for (std::size_t offset = 0; offset < bytes.size(); offset += PacedChunk) {
    if (!m_stop.SleepUntil(start + ByteTime * static_cast<long>(offset))) {
      return WriteOutcome::Stopped;
    }
    const WriteOutcome outcome = WriteNow(bytes.substr(offset, PacedChunk));
    if (outcome != WriteOutcome::Sent) {
      return outcome;
    }
  }
  return m_stop.SleepUntil(start + ByteTime * static_cast<long>(bytes.size())) ? WriteOutcome::Sent
                                                                               : WriteOutcome::Stopped;
}

WriteOutcome ReplyWriter::WriteNow(std::string_view bytes) const {
  while (!bytes.empty()) {
    const ssize_t written = ::write(m_fd, bytes.data(), bytes.size());
    if (written > 0) {
      bytes.remove_prefix(static_cast<std::size_t>(written));
      continue;
    }
    const int error = errno;
    if (error == EINTR) {
      continue;
    }
    if (error != EAGAIN) {
      return WriteOutcome::LineDead;
    }
    // The program is not reading: wait for room, or for a stop.
    pollfd watched[2] = {{m_fd, POLLOUT, 0}, {m_stop.Fd(), POLLIN, 0}};
    if (::poll(watched, 2, -1) < 0 && errno != EINTR) {
      throw SystemFailure("waiting to write to the pseudo-terminal", errno);
    }
    if (watched[1].revents != 0) {
      return WriteOutcome::Stopped;
    }
  }
  return WriteOutcome::Sent;
}

}  // namespace orvel::sim
