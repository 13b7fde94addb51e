#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace orvel::test {

// Everything the port and the window were asked to do during a test, in order, each with
// the poll tick it happened in. Tick 0 is before the first poll; a poll tick counts up
// before its poll runs, so a re-send made by the 11th tick is recorded at tick 11.
class LinkTimeline {
 public:
  struct Event {
    int tick;
    std::string what;
  };

  int Now() const { return tick_; }
  void AdvanceTick() { ++tick_; }
  void Record(std::string what) { events_.push_back({tick_, std::move(what)}); }

  const std::vector<Event>& Events() const { return events_; }
  // The events whose text starts with prefix, in order.
  std::vector<Event> Matching(std::string_view prefix) const;
  // The texts after prefix of the events that start with it, in order.
  std::vector<std::string> Texts(std::string_view prefix) const;
  int Count(std::string_view prefix) const { return static_cast<int>(Matching(prefix).size()); }
  // Counts the events whose text is exactly this.
  int CountExactly(std::string_view text) const;
  // Counts the events with the prefix from tick `from` through tick `to`.
  int CountBetween(std::string_view prefix, int from, int to) const;
  // Counts the events with the prefix among the events at positions [from, to).
  int CountAmong(std::string_view prefix, std::size_t from, std::size_t to) const;
  std::optional<int> FirstTick(std::string_view prefix) const;
  std::optional<int> LastTick(std::string_view prefix) const;
  // Position in the event order, to tell which of two events in one tick came first.
  std::optional<std::size_t> FirstIndex(std::string_view prefix) const;
  std::optional<std::size_t> LastIndex(std::string_view prefix) const;

 private:
  int tick_ = 0;
  std::vector<Event> events_;
};

}  // namespace orvel::test
