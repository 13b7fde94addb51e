#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <ostream>
#include <string>
#include <vector>

#include "IDFormFixture.h"
#include "ModalDriver.h"
#include "simulator/TesterSimulator.h"

namespace orvel::testing {

// One row of an ID list table.
struct IdPair {
  std::string trailer;
  std::string vehicle;
  bool operator==(const IdPair&) const = default;
};

// What the window shows at one moment: the two status lines, the Exit button's caption,
// the page in front and which of its commands take clicks.
struct WindowView {
  QString status;
  QString identity;
  QString exitCaption;
  QWidget* page = nullptr;
  QStringList enabledControls;
};

// A Configure IDs window whose port search finds the simulated tester on the port
// numbers a test maps to it, and nothing on the real serial devices.
class TesterLinkFixture : public IDFormFixture {
 private:
  // Where actions from the tester's thread are delivered; outlives the tester's thread.
  QObject guiThread_;
  std::map<std::uint16_t, std::string> ports_;

 protected:
  static constexpr const char* kTesterSerial = "2143";

  TesterLinkFixture();
  ~TesterLinkFixture() override;

  // Port numbers not mapped name no device.
  void MapPort(std::uint16_t port, std::string devicePath);
  TIDForm& OpenLinkedForm();

  // Every request line the tester received, carriage return included.
  std::vector<std::string> RequestLines() const;
  // Runs action on the window's thread as soon as the tester has received line for the
  // first time. The tester is then still to answer it, so the action runs inside the
  // wait for that answer.
  void OnRequestLine(const std::string& line, std::function<void()> action);

  // Handles events until the tester has received count request lines in all; false if
  // that does not happen within a few seconds.
  bool RequestsArrive(std::size_t count) const;

  WindowView ViewNow() const;
  // Handles events until page is in front; false if it is not within a few seconds.
  bool PageComesToFront(QWidget* page) const;

  // Creates a group through the window and stores rows in its ID list table; returns the
  // table's name.
  std::string CreateGroupHolding(const QString& name, const std::vector<IdPair>& rows);
  std::vector<IdPair> StoredIdList(const std::string& tableName) const;

  sim::TesterSimulator tester;
  // Answers the boxes a test queues answers for, and fails a test on a box it did not
  // expect instead of letting it block the run.
  ModalDriver boxes;
};

// The control names ViewNow lists, as they read when every control takes clicks.
QStringList AllControls();
// As they read while a link session runs: only Cancel and the pages.
QStringList ControlsLiveDuringASession();

// text followed by blanks up to 16 characters.
std::string Padded(std::string text);
// A request line as the tester expects it: "!0000", the code, four upper-case hex digits,
// the payload and a carriage return.
std::string RequestLine(int code, std::uint16_t address, const std::string& payload = {});
std::uint16_t TrailerSlotAddress(std::size_t slot);
std::uint16_t VehicleSlotAddress(std::size_t slot);

}  // namespace orvel::testing

// Shows window texts readably in failure messages.
void PrintTo(const QString& text, std::ostream* out);
