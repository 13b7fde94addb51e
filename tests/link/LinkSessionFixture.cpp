#include "LinkSessionFixture.h"

namespace orvel::test {

void LinkSessionTest::PlaceTester(std::uint16_t portNumber, const std::string& instrumentData) {
  port.SetProbe(portNumber, PortAvailability::Available, "/dev/ttyUSB0");
  port.SetTesterPort(portNumber);
  port.Answer(IdentificationLine, LongFrame(instrumentData));
  port.Answer(FollowUpLine, ShortFrame(""));
}

void LinkSessionTest::AcknowledgeWrites() { port.Answer("!00002", ShortFrame("")); }

void LinkSessionTest::CancelTicksAfterFirstWrite(const std::string& prefix, int ticks) {
  host.CancelWhen([this, prefix, ticks](int now) {
    const std::optional<int> written = timeline.FirstTick("write " + prefix);
    return written && now == *written + ticks;
  });
}

int LinkSessionTest::FirstWriteTick(const std::string& prefix) const {
  const std::optional<int> tick = timeline.FirstTick("write " + prefix);
  if (!tick) ADD_FAILURE() << "nothing starting with " << prefix << " was written";
  return tick.value_or(-1);
}

std::vector<std::string> LinkSessionTest::WritesFrom(const std::string& prefix) const {
  const std::vector<std::string> writes = port.Writes();
  std::vector<std::string> from;
  bool found = false;
  for (const std::string& line : writes) {
    found = found || line.starts_with(prefix);
    if (found) from.push_back(line);
  }
  return from;
}

void LinkSessionTest::ExpectFailedState(const std::string& message) const {
  EXPECT_EQ(timeline.Texts("information "), std::vector<std::string>{message});
  EXPECT_EQ(session.LastEnd(), SessionEnd::Failed);
  EXPECT_FALSE(host.PollTimerEnabled());
  EXPECT_TRUE(session.Cancellable());
  EXPECT_TRUE(port.IsOpen());
  EXPECT_EQ(host.ButtonCaption(), "Cancel");
  EXPECT_EQ(timeline.Count("ended"), 0);
  EXPECT_EQ(timeline.Count("page return"), 0);
}

void LinkSessionTest::ExpectSessionEnded() const {
  EXPECT_FALSE(session.Cancellable());
  EXPECT_FALSE(port.IsOpen());
  EXPECT_FALSE(host.PollTimerEnabled());
  EXPECT_EQ(host.ButtonCaption(), "Exit");
  EXPECT_EQ(timeline.Count("ended"), 1);
  EXPECT_EQ(timeline.Count("page return"), 1);
}

void LinkSessionTest::ExpectEndedAfterCancel() const {
  EXPECT_EQ(host.StatusText(), "Communications aborted");
  EXPECT_EQ(session.LastEnd(), SessionEnd::Cancelled);
  ExpectSessionEnded();
}

void LinkSessionTest::ExpectEndedWith(const std::string& statusText) const {
  EXPECT_EQ(host.StatusText(), statusText);
  EXPECT_EQ(host.IdentityText(), "");
  EXPECT_EQ(session.LastEnd(), SessionEnd::Succeeded);
  EXPECT_EQ(timeline.Count("information "), 0);
  ExpectSessionEnded();
}

}  // namespace orvel::test
