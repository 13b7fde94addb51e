#include "LinkTimeline.h"

#include <algorithm>

namespace orvel::test {
namespace {

bool StartsWith(const std::string& text, std::string_view prefix) { return text.starts_with(prefix); }

}  // namespace

std::vector<LinkTimeline::Event> LinkTimeline::Matching(std::string_view prefix) const {
  std::vector<Event> found;
  for (const Event& event : events_) {
    if (StartsWith(event.what, prefix)) found.push_back(event);
  }
  return found;
}

std::vector<std::string> LinkTimeline::Texts(std::string_view prefix) const {
  std::vector<std::string> texts;
  for (const Event& event : Matching(prefix)) texts.push_back(event.what.substr(prefix.size()));
  return texts;
}

int LinkTimeline::CountExactly(std::string_view text) const {
  return static_cast<int>(
      std::count_if(events_.begin(), events_.end(), [text](const Event& event) { return event.what == text; }));
}

int LinkTimeline::CountBetween(std::string_view prefix, int from, int to) const {
  int count = 0;
  for (const Event& event : Matching(prefix)) {
    if (event.tick >= from && event.tick <= to) ++count;
  }
  return count;
}

int LinkTimeline::CountAmong(std::string_view prefix, std::size_t from, std::size_t to) const {
  int count = 0;
  for (std::size_t index = from; index < to && index < events_.size(); ++index) {
    if (StartsWith(events_[index].what, prefix)) ++count;
  }
  return count;
}

std::optional<int> LinkTimeline::FirstTick(std::string_view prefix) const {
  const std::optional<std::size_t> index = FirstIndex(prefix);
  return index ? std::optional<int>(events_[*index].tick) : std::nullopt;
}

std::optional<int> LinkTimeline::LastTick(std::string_view prefix) const {
  const std::optional<std::size_t> index = LastIndex(prefix);
  return index ? std::optional<int>(events_[*index].tick) : std::nullopt;
}

std::optional<std::size_t> LinkTimeline::FirstIndex(std::string_view prefix) const {
  for (std::size_t index = 0; index < events_.size(); ++index) {
    if (StartsWith(events_[index].what, prefix)) return index;
  }
  return std::nullopt;
}

std::optional<std::size_t> LinkTimeline::LastIndex(std::string_view prefix) const {
  for (std::size_t index = events_.size(); index > 0; --index) {
    if (StartsWith(events_[index - 1].what, prefix)) return index - 1;
  }
  return std::nullopt;
}

}  // namespace orvel::test
