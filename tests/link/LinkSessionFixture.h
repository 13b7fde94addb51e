#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "FakeSessionHost.h"
#include "LinkTimeline.h"
#include "ScriptedLinkPort.h"
#include "TesterFrames.h"
#include "link/LinkSession.h"

namespace orvel::test {

// Names each row of a parameter table after its `name`.
struct CaseName {
  template <typename Info>
  std::string operator()(const Info& row) const {
    return row.param.name;
  }
};

// A link session on a scripted port and a fake window, with a fresh session state as a
// newly opened window has it.
class LinkSessionTest : public ::testing::Test {
 protected:
  LinkSessionTest() { host.Attach(session); }

  // The tester is wired to portNumber and answers every identification request and the
  // follow-up request at once.
  void PlaceTester(std::uint16_t portNumber, const std::string& instrumentData = SerialOnly2143);
  // Every write request is acknowledged at once.
  void AcknowledgeWrites();

  // The operator presses Cancel `ticks` poll ticks after the first write of a line
  // starting with prefix.
  void CancelTicksAfterFirstWrite(const std::string& prefix, int ticks);

  // The tick of the first write of a line starting with prefix; fails the test when there
  // was none.
  int FirstWriteTick(const std::string& prefix) const;
  int WriteCount(const std::string& prefix) const { return timeline.Count("write " + prefix); }
  // The lines written from the first one starting with prefix on.
  std::vector<std::string> WritesFrom(const std::string& prefix) const;
  // Beeps from tick `from` on.
  int BeepsFrom(int from) const { return timeline.CountBetween("beep", from, timeline.Now()); }

  // The failed state: polling stopped, the message shown once, but the session not ended:
  // the port stays open and the button still reads Cancel.
  void ExpectFailedState(const std::string& message) const;
  // Ended after a Cancel: "Communications aborted" stays, the port is closed, polling
  // stopped, and the window returns to a page.
  void ExpectEndedAfterCancel() const;
  // Ended after a success, with no box for the operator.
  void ExpectEndedWith(const std::string& statusText) const;
  // What every ended session shows: port closed, polling stopped, "Exit", one page return.
  void ExpectSessionEnded() const;

  LinkTimeline timeline;
  ScriptedLinkPort port{timeline};
  FakeSessionHost host{timeline, port};
  LinkSession session{port, host};
};

}  // namespace orvel::test
