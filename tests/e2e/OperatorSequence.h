#pragma once

#include <QString>
#include <cstdint>
#include <memory>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "OperatorModel.h"
#include "TesterLinkFixture.h"

namespace orvel::testing {

inline constexpr int kSlots = static_cast<int>(kModelSlots);
inline constexpr std::size_t kMostGroups = 8;

// 8-bit text as the window shows it.
QString Wide(const std::string& eightBit);
// Text as a failure report can show it: control characters as escapes.
std::string Printable(const QString& text);
std::string Printable(const std::string& eightBit);

// Boxes a step expects: a title and, where the wording is settled, the text.
struct ExpectedBox {
  QString title;
  std::optional<QString> text;
};

ExpectedBox Information(std::optional<QString> text = std::nullopt);
ExpectedBox Confirmation(const QString& text);

enum class Confirm { Yes, No, Cancel };

// When a transfer's Cancel is pressed: never, or once the tester has received a given
// request line, at once or a little later.
struct CancelPlan {
  std::optional<std::string> onLine;
  int delayMs = 0;
};

// Seeded random sequences of what an operator does in the Configure IDs window, driven
// through the real widgets against the tester simulator, each step checked against a small
// model of what the store, the grid, the list and the tester must hold.
class OperatorSequence : public TesterLinkFixture {
 protected:
  OperatorSequence() { MapPort(1, tester.DevicePath()); }

  // Runs the given number of steps drawn from seed; the first step that does not hold
  // fails the test with the seed, the step and the steps so far.
  void Run(std::uint64_t seed, int steps);

  int Transfers() const { return transfers_; }
  int BoxesSeen() const { return boxesSeen_; }

 private:
  using Step = void (OperatorSequence::*)();

  // Driving the window.
  QWidget* Focus();
  void BringPage(QWidget* page);
  void ClickCell(int row, int column);
  void TypeInto(QWidget* widget, const QString& text);
  void Paste(const QString& text);
  void Press(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier);
  void AnswerBox(QWidget* box);
  void Settle();

  // Steps.
  void NewGroup();
  void ChooseThroughDropDown();
  void MoveClosedList();
  void TypeIntoCell();
  void LeavePendingCell();
  void PasteIntoCell();
  void SwitchPage();
  void ReadIds();
  void SendIds();
  void ReadCompany();
  void SendCompany();
  void TypeCompanyName();
  void DeleteGroup();
  void CloseAndReopen();

  Step NextStep();
  // Adds a step to the sequence a failure report replays.
  void Record(const std::string& description) { log_.push_back(description); }
  CancelPlan DrawCancel(const std::vector<std::string>& firstLines);
  void StartSession(const CancelPlan& plan);
  std::vector<std::string> LinesSinceStep() const;

  // Checks.
  void Expect(bool holds, const std::string& what);
  void ExpectBoxes(const std::vector<ExpectedBox>& expected);
  void ExpectInformationBoxes(std::size_t count);
  void CheckAgainstModel();
  void CheckStore();
  void CheckGridAndList();
  void CheckTester();
  bool GridShowsNothing() const;

  QString RandomIdText(bool withRefused);
  QString RandomGroupName(NameVerdict& intended, bool& pasted);
  template <typename T>
  const T& Pick(const std::vector<T>& choices) {
    return choices[std::uniform_int_distribution<std::size_t>(0, choices.size() - 1)(rng_)];
  }
  int Draw(int low, int high) { return std::uniform_int_distribution<int>(low, high)(rng_); }
  bool Chance(double probability) { return std::bernoulli_distribution(probability)(rng_); }

  OperatorModel model_;
  std::mt19937_64 rng_;
  std::vector<std::string> log_;
  std::vector<std::string> problems_;
  std::unique_ptr<ModalDriver> stepBoxes_;
  std::size_t linesAtStepStart_ = 0;
  QString nameToEnter_;
  bool pasteName_ = false;
  Confirm confirm_ = Confirm::Yes;
  int transfers_ = 0;
  int boxesSeen_ = 0;
};

}  // namespace orvel::testing
