#pragma once

#include "simulator/OutputSchedule.h"
#include "simulator/StopSignal.h"

#include <string_view>

namespace orvel::sim {

enum class Pacing {
  Immediate,  // every piece of an answer written at once
  Baud9600,   // bytes leave at the line's speed, about 1.04 ms each, a few at a time
};

enum class WriteOutcome {
  Sent,
  Stopped,   // a stop request came first
  LineDead,  // the other end is gone
};

// Puts output on the line: its pieces with their gaps, and the pacing. Every wait gives
// way to a stop request.
class ReplyWriter {
 public:
  ReplyWriter(int fd, const StopSignal& stop) : m_fd(fd), m_stop(stop) {}

  WriteOutcome Send(const Outgoing& outgoing, Pacing pacing) const;

 private:
  WriteOutcome WritePaced(std::string_view bytes, Pacing pacing) const;
  WriteOutcome WriteNow(std::string_view bytes) const;

  int m_fd;
  const StopSignal& m_stop;
};

}  // namespace orvel::sim
