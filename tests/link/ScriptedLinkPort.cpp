#include "ScriptedLinkPort.h"

#include <set>
#include <utility>

#include "serial/PortErrors.h"

namespace orvel::test {

void ScriptedLinkPort::SetProbe(std::uint16_t portNumber, PortAvailability availability, std::string devicePath) {
  probes_[portNumber] = PortProbe{availability, std::move(devicePath)};
}

void ScriptedLinkPort::SetOpenFailure(std::uint16_t portNumber, OpenFailure failure) {
  openFailures_[portNumber] = failure;
}

void ScriptedLinkPort::Answer(std::string prefix, std::string bytes, int occurrence, int delay) {
  rules_.push_back({std::move(prefix), std::move(bytes), occurrence, delay});
}

void ScriptedLinkPort::DeliverAtTick(int tick, std::string bytes) { deliveries_.emplace(tick, std::move(bytes)); }

void ScriptedLinkPort::FailCall(std::string call, int occurrence, std::exception_ptr failure) {
  failures_[{std::move(call), occurrence}] = std::move(failure);
}

void ScriptedLinkPort::DeliverDue() {
  const auto due = deliveries_.upper_bound(timeline_.Now());
  for (auto delivery = deliveries_.begin(); delivery != due; ++delivery) {
    if (open_) input_ += delivery->second;
  }
  deliveries_.erase(deliveries_.begin(), due);
}

PortProbe ScriptedLinkPort::Probe(std::uint16_t portNumber) {
  timeline_.Record("probe " + std::to_string(portNumber));
  const auto probe = probes_.find(portNumber);
  return probe == probes_.end() ? PortProbe{} : probe->second;
}

void ScriptedLinkPort::Open(std::uint16_t portNumber) {
  timeline_.Record("open " + std::to_string(portNumber));
  comNumber_ = portNumber;
  const auto failure = openFailures_.find(portNumber);
  const OpenFailure planned = failure == openFailures_.end() ? OpenFailure::None : failure->second;
  if (planned == OpenFailure::BadId) throw EBadId();
  if (planned == OpenFailure::AlreadyOpen) throw EAlreadyOpen();
  if (planned == OpenFailure::SettingsRefused) throw EInOutError(1, "Invalid function.", 1);
  open_ = true;
  input_.clear();
}

void ScriptedLinkPort::Close() {
  open_ = false;
  Call("close", "close");
  input_.clear();
}

std::uint16_t ScriptedLinkPort::ReadBlock(std::span<char> destination) {
  if (destination.size() > input_.size()) throw EBufferIsEmpty();
  input_.copy(destination.data(), destination.size());
  input_.erase(0, destination.size());
  return static_cast<std::uint16_t>(destination.size());
}

void ScriptedLinkPort::WriteText(std::string_view text) {
  const std::string line(text);
  Call("write", "write " + line);
  if (open_ && comNumber_ == testerPort_) ScheduleAnswer(line);
}

void ScriptedLinkPort::DiscardInput() {
  Call("discard input", "discard input");
  input_.clear();
}

void ScriptedLinkPort::DiscardOutput() { Call("discard output", "discard output"); }

bool ScriptedLinkPort::AwaitQuietInput(std::chrono::milliseconds, std::chrono::milliseconds) {
  const bool arrived = !input_.empty();
  input_.clear();
  return arrived;
}

void ScriptedLinkPort::Call(const std::string& call, const std::string& record) {
  const int occurrence = ++callCounts_[call];
  const auto failure = failures_.find({call, occurrence});
  if (failure != failures_.end()) {
    timeline_.Record(call + " failed");
    std::rethrow_exception(failure->second);
  }
  timeline_.Record(record);
}

void ScriptedLinkPort::ScheduleAnswer(const std::string& line) {
  std::set<std::string> counted;
  for (const AnswerRule& rule : rules_) {
    if (line.starts_with(rule.prefix) && counted.insert(rule.prefix).second) ++writesByPrefix_[rule.prefix];
  }
  for (auto rule = rules_.rbegin(); rule != rules_.rend(); ++rule) {
    if (!line.starts_with(rule->prefix)) continue;
    if (rule->occurrence != 0 && rule->occurrence != writesByPrefix_[rule->prefix]) continue;
    if (!rule->bytes.empty()) DeliverAtTick(timeline_.Now() + rule->delay, rule->bytes);
    return;
  }
}

}  // namespace orvel::test
