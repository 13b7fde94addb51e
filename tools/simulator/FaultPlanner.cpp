#include "simulator/FaultPlanner.h"

#include "simulator/SystemError.h"

#include <algorithm>
#include <iterator>

namespace orvel::sim {

FaultPlanner::FaultPlanner() : m_random(1) {}

void FaultPlanner::AddRule(const FaultRule& rule) {
  CheckFaultSettings(rule.settings);
  m_rules.push_back({rule, 0});
}

void FaultPlanner::SetRandomFaults(const RandomFaults& random) {
  CheckFaultSettings(random.settings);
  if (!(random.probability >= 0.0 && random.probability <= 1.0)) {
    throw ESimulator("Tester simulator: the fault probability must lie between 0 and 1.");
  }
  m_chance = random;
  if (m_chance->kinds.empty()) {
    std::copy_if(AllFaultKinds().begin(), AllFaultKinds().end(), std::back_inserter(m_chance->kinds),
                 [](FaultKind kind) { return kind != FaultKind::HangUp; });
  }
  m_random.seed(random.seed);
}

void FaultPlanner::Clear() {
  m_rules.clear();
  m_chance.reset();
  m_withheld.reset();
}

std::vector<ChosenFault> FaultPlanner::Choose(std::size_t lineNumber, std::uint16_t address, std::string_view line) {
  // The original send counts as the first; the n-th re-send is send n + 1 and is heard.
  if (m_withheld && line == m_withheld->line) {
    ++m_withheld->sends;
    if (m_withheld->sends <= m_withheld->settings.resendsBeforeAnswer) {
      return {ChosenFault{FaultKind::AnswerFromResend, m_withheld->settings}};
    }
    m_withheld.reset();
    return {};
  }
  m_withheld.reset();

  std::vector<ChosenFault> chosen = FromRules(lineNumber, address);
  if (chosen.empty()) {
    if (auto drawn = FromChance()) {
      chosen.push_back(*drawn);
    }
  }
  std::stable_sort(chosen.begin(), chosen.end(),
                   [](const ChosenFault& left, const ChosenFault& right) { return left.kind < right.kind; });
  const auto resend = std::find_if(chosen.begin(), chosen.end(),
                                   [](const ChosenFault& fault) { return fault.kind == FaultKind::AnswerFromResend; });
  if (resend != chosen.end()) {
    m_withheld = Withheld{std::string(line), 1, resend->settings};
  }
  return chosen;
}

std::vector<ChosenFault> FaultPlanner::FromRules(std::size_t lineNumber, std::uint16_t address) {
  std::vector<ChosenFault> chosen;
  for (ActiveRule& active : m_rules) {
    const FaultRule& rule = active.rule;
    const bool exhausted = rule.times != 0 && active.hits >= rule.times;
    const bool lineMatches = !rule.onLine || *rule.onLine == lineNumber;
    const bool addressMatches = !rule.onAddress || *rule.onAddress == address;
    if (!exhausted && lineMatches && addressMatches) {
      ++active.hits;
      chosen.push_back({rule.kind, rule.settings});
    }
  }
  return chosen;
}

std::optional<ChosenFault> FaultPlanner::FromChance() {
  if (!m_chance || m_chance->probability <= 0.0) {
    return std::nullopt;
  }
  if (!std::bernoulli_distribution(m_chance->probability)(m_random)) {
    return std::nullopt;
  }
  std::uniform_int_distribution<std::size_t> pick(0, m_chance->kinds.size() - 1);
  return ChosenFault{m_chance->kinds[pick(m_random)], m_chance->settings};
}

}  // namespace orvel::sim
