#pragma once

#include <cstdint>
#include <exception>
#include <map>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "LinkTimeline.h"
#include "link/LinkPort.h"

namespace orvel::test {

enum class OpenFailure { None, BadId, AlreadyOpen, SettingsRefused };

// A serial line and the tester behind it, played from a script. Every call the session
// makes is recorded in the timeline. Bytes reach the input buffer only at poll ticks,
// just before the poll runs (DeliverDue), and only while the port is open: a closed port
// has no input buffer to receive them.
class ScriptedLinkPort : public LinkPort {
 public:
  explicit ScriptedLinkPort(LinkTimeline& timeline) : timeline_(timeline) {}

  // Ports not set here are Missing.
  void SetProbe(std::uint16_t portNumber, PortAvailability availability, std::string devicePath = {});
  void SetOpenFailure(std::uint16_t portNumber, OpenFailure failure);
  // The port the tester is wired to; request lines written on other ports go nowhere.
  void SetTesterPort(std::uint16_t portNumber) { testerPort_ = portNumber; }

  // When a line starting with prefix is written on the tester's port, bytes arrive
  // `delay` ticks later. occurrence counts the writes that start with prefix, from 1;
  // 0 answers every one. The rule added last wins, so a test can override the defaults of
  // its fixture; an empty answer is silence.
  void Answer(std::string prefix, std::string bytes, int occurrence = 0, int delay = 1);
  // Bytes that arrive at an absolute tick, whatever was written.
  void DeliverAtTick(int tick, std::string bytes);
  // The occurrence-th call (from 1) of "write", "discard input" or "close" throws instead;
  // a close that throws leaves the port closed.
  void FailCall(std::string call, int occurrence, std::exception_ptr failure);

  // Moves the bytes due at the current tick into the input buffer.
  void DeliverDue();

  std::vector<std::string> Writes() const { return timeline_.Texts("write "); }
  const std::string& Input() const { return input_; }

  PortProbe Probe(std::uint16_t portNumber) override;
  bool IsOpen() const override { return open_; }
  void Open(std::uint16_t portNumber) override;
  void Close() override;
  std::uint16_t ComNumber() const override { return comNumber_; }
  std::uint16_t InputCount() const override { return static_cast<std::uint16_t>(input_.size()); }
  std::uint16_t ReadBlock(std::span<char> destination) override;
  void WriteText(std::string_view text) override;
  void DiscardInput() override;
  void DiscardOutput() override;
  bool AwaitQuietInput(std::chrono::milliseconds quietFor, std::chrono::milliseconds atMost) override;

 private:
  struct AnswerRule {
    std::string prefix;
    std::string bytes;
    int occurrence;
    int delay;
  };

  void Call(const std::string& call, const std::string& record);
  void ScheduleAnswer(const std::string& line);

  LinkTimeline& timeline_;
  std::map<std::uint16_t, PortProbe> probes_;
  std::map<std::uint16_t, OpenFailure> openFailures_;
  std::uint16_t testerPort_ = 0;
  std::vector<AnswerRule> rules_;
  std::multimap<int, std::string> deliveries_;
  std::map<std::pair<std::string, int>, std::exception_ptr> failures_;
  std::map<std::string, int> callCounts_;
  std::map<std::string, int> writesByPrefix_;
  bool open_ = false;
  std::uint16_t comNumber_ = 0;
  std::string input_;
};

}  // namespace orvel::test
