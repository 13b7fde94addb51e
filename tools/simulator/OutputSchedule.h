#pragma once

#include <chrono>
#include <cstddef>
#include <deque>
#include <optional>
#include <string>
#include <vector>

namespace orvel::sim {

// Bytes for the line, written whole in their pieces and never mixed with other bytes.
struct Outgoing {
  std::size_t lineNumber = 0;  // the request line they answer
  std::string bytes{};
  std::size_t pieces = 1;
  std::chrono::milliseconds gap{0};
  // A copy of the bytes follows this long after they have left the line.
  std::optional<std::chrono::milliseconds> copyAfter{};
  bool hangUp = false;  // the line is pulled instead
};

// What the tester puts on the line, and when. Answers in turn go out one after another,
// each its delay after its request or after the previous answer in turn has left the line,
// whichever is later: a slow answer holds up those behind it. Answers aside go out at
// their own time, between answers in turn, holding up nothing. Used by one thread alone.
class OutputSchedule {
 public:
  using TimePoint = std::chrono::steady_clock::time_point;

  // Outgoing without bytes is dropped, unless it pulls the line.
  void InTurn(Outgoing outgoing, TimePoint received, std::chrono::milliseconds delay);
  void Aside(Outgoing outgoing, TimePoint due);
  // Keeps bytes back, after any kept before, until they are released.
  void Hold(const std::string& bytes);
  std::string Release();

  std::optional<TimePoint> NextDue() const;
  // Takes off the schedule the earliest output due by `now`.
  std::optional<Outgoing> TakeDue(TimePoint now);
  // The output last taken has left the line at `finished`.
  void Sent(const Outgoing& sent, TimePoint finished);

 private:
  struct Turn {
    Outgoing outgoing;
    TimePoint received;
    std::chrono::milliseconds delay;
  };
  struct Timed {
    Outgoing outgoing;
    TimePoint due;
  };

  std::optional<TimePoint> TurnDue() const;
  std::vector<Timed>::iterator EarliestAside();

  std::deque<Turn> m_turns;
  std::vector<Timed> m_aside;
  TimePoint m_turnsFreeAt{};
  bool m_tookTurn = false;
  std::string m_held;
};

}  // namespace orvel::sim
