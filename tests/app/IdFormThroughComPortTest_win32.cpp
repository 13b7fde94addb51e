// The Configure IDs window on Windows, on a COM port: its port search finds orvel-tester-sim
// on the far end of the line (see ComPorts.h) and the operator's buttons move IDs and the
// company name both ways. The simulator logs every request line it receives; each
// transfer's lines must be exactly the bytes the protocol prescribes, as the Linux build's
// end-to-end tests demand of the same transfers, so a difference in how Windows writes
// to the line (8-bit letters, line ends) cannot pass unseen.
//
// The first test reads what scripts/windows.sh loads into the simulator, so it expects a
// simulator fresh from that script.
#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "ComPorts.h"
#include "IDFormFixture.h"
#include "ModalDriver.h"
#include "TesterFrames.h"
#include "app/DataSourceTableModel.h"
#include "app/TDBGrid.h"
#include "app/TDBLookupComboBox.h"

namespace orvel {
namespace {

using IdPair = std::pair<std::string, std::string>;

constexpr std::size_t kSlots = 32;
// A list transfer takes 66 polls of 100 ms; the rest is slack for a busy machine.
constexpr std::chrono::seconds kTransferDeadline{30};

std::string Padded(std::string text) {
  text.resize(16, ' ');
  return text;
}

std::vector<IdPair> AllPadded(std::vector<IdPair> rows) {
  for (IdPair& row : rows) row = {Padded(row.first), Padded(row.second)};
  return rows;
}

// What scripts/windows.sh loads into the filled tester: slot n holds "ANHÄNGER nn" and
// "KFZ-nn ÆØÅ" (Latin-1), which the tester keeps padded to 16 characters.
std::vector<IdPair> FilledTesterContent() {
  std::vector<IdPair> rows;
  for (std::size_t slot = 0; slot < kSlots; ++slot) {
    const std::string number = std::string(slot < 9 ? "0" : "") + std::to_string(slot + 1);
    rows.emplace_back(Padded("ANH\xC4NGER " + number), Padded("KFZ-" + number + " \xC6\xD8\xC5"));
  }
  return rows;
}

// A read ends by asking for its last address again: the answer to that shows that no
// answer was taken for the wrong request.
std::vector<std::string> ReadListLines() {
  std::vector<std::string> lines{test::IdentificationLine, test::FollowUpLine};
  for (std::size_t slot = 0; slot < kSlots; ++slot) lines.push_back(test::ReadLine(test::TrailerAddressOf(slot)));
  for (std::size_t slot = 0; slot < kSlots; ++slot) lines.push_back(test::ReadLine(test::VehicleAddressOf(slot)));
  lines.push_back(lines.back());  // the last ID asked again, to confirm the answers
  return lines;
}

std::vector<std::string> SendListLines(const std::vector<IdPair>& rows) {
  std::vector<std::string> lines{test::IdentificationLine, test::FollowUpLine};
  for (std::size_t slot = 0; slot < kSlots; ++slot) {
    lines.push_back(test::WriteLine(test::TrailerAddressOf(slot), Padded(rows[slot].first)));
    lines.push_back(test::WriteLine(test::VehicleAddressOf(slot), Padded(rows[slot].second)));
  }
  return lines;
}

std::filesystem::path PathNamedBy(const char* variable) {
  const char* value = std::getenv(variable);
  if (value == nullptr || *value == '\0') {
    throw std::runtime_error(std::string(variable) +
                             " names no file: run the Windows tests through scripts/windows.sh, which starts the "
                             "simulated testers and names their traffic logs");
  }
  return value;
}

// The log shows each byte readably: "<CR>", "<LF>" and "<xx>" (hex) stand for one byte
// each, and '<' never stands for itself.
std::string LoggedBytes(const std::string& shown) {
  std::string bytes;
  for (std::size_t at = 0; at < shown.size();) {
    if (shown[at] != '<') {
      bytes.push_back(shown[at++]);
      continue;
    }
    const std::size_t end = shown.find('>', at);
    if (end == std::string::npos) throw std::runtime_error("unreadable traffic log entry: " + shown);
    const std::string code = shown.substr(at + 1, end - at - 1);
    bytes.push_back(code == "CR" ? '\r' : code == "LF" ? '\n' : static_cast<char>(std::stoi(code, nullptr, 16)));
    at = end + 1;
  }
  return bytes;
}

// Every request line in the simulator's traffic log so far, in the order received. The
// simulator logs a line before it answers it, so once a transfer has ended all its lines
// are in the log.
std::vector<std::string> LoggedRequestLines(const std::filesystem::path& log) {
  std::ifstream in(log, std::ios::binary);
  if (!in) throw std::runtime_error("cannot read the tester's traffic log " + log.string());
  const std::string received = "<- ";
  std::vector<std::string> lines;
  for (std::string entry; std::getline(in, entry);) {
    if (const std::size_t at = entry.find(received); at != std::string::npos) {
      lines.push_back(LoggedBytes(entry.substr(at + received.size())));
    }
  }
  return lines;
}

std::string EightBit(const QVariant& text) { return text.toString().toLatin1().toStdString(); }

void ClickButton(QWidget* box, const QString& caption) {
  for (QPushButton* button : box->findChildren<QPushButton*>()) {
    if (button->text() == caption) {
      QTest::mouseClick(button, Qt::LeftButton);
      return;
    }
  }
  ADD_FAILURE() << "the box '" << box->windowTitle().toStdString() << "' has no button " << caption.toStdString();
  box->close();
}

// The filled tester is the window's port 1, and no other port names a device: the search
// never reaches COM1, which Wine links to the machine's own first serial device.
class IdFormThroughComPort : public testing::IDFormFixture {
 protected:
  IdFormThroughComPort() {
    OpenForm([device = SystemPortDevices()(testerPort)](std::uint16_t port) -> std::optional<std::string> {
      return port == 1 ? device : std::nullopt;
    });
  }

  // Clicks a transfer's button, which returns when the transfer has ended; the request
  // lines the tester received meanwhile. A search that finds no tester goes on until the
  // operator cancels it, so a transfer still running at the deadline fails the test and
  // is cancelled.
  std::vector<std::string> LinesOfTransfer(QWidget* button) {
    const std::size_t before = LoggedRequestLines(log).size();
    QTimer deadline;
    deadline.setSingleShot(true);
    QObject::connect(&deadline, &QTimer::timeout, [this] {
      ADD_FAILURE() << "the transfer was still running after " << kTransferDeadline.count() << " s";
      QTest::mouseClick(form->ExitButton, Qt::LeftButton);
    });
    deadline.start(kTransferDeadline);
    const auto started = std::chrono::steady_clock::now();
    QTest::mouseClick(button, Qt::LeftButton);
    lastTransferTime = std::chrono::steady_clock::now() - started;
    deadline.stop();
    const std::vector<std::string> lines = LoggedRequestLines(log);
    return std::vector<std::string>(lines.begin() + static_cast<std::ptrdiff_t>(before), lines.end());
  }

  // A new group, chosen in the list, read from the tester with "Yes" to the overwrite question.
  std::vector<std::string> ReadIntoNewGroup(const QString& name) {
    CreateGroupThroughWindow(name);
    ChooseGroupByDropDown(form->GroupNameComboBox->findText(name));
    boxes.Then([](QWidget* box) { ClickButton(box, "&Yes"); });
    const int answered = boxes.Answered();
    const std::vector<std::string> lines = LinesOfTransfer(form->UploadButton);
    EXPECT_EQ(boxes.Answered(), answered + 1);
    if (boxes.Answered() == answered + 1) {
      EXPECT_EQ(boxes.Seen().back().text.toStdString(), "Overwrite all current IDs?");
    }
    EXPECT_EQ(form->Label3->text().toStdString(), "IDs successfully acquired");
    return lines;
  }

  std::vector<IdPair> GridRows() const {
    const DataSourceTableModel& grid = form->IDGrid->Model();
    std::vector<IdPair> rows;
    for (int row = 0; row < grid.rowCount(); ++row) {
      rows.emplace_back(EightBit(grid.index(row, 0).data()), EightBit(grid.index(row, 1).data()));
    }
    return rows;
  }

  // Clicks a cell, types text over what it holds and stores it with Enter.
  void RetypeCell(int row, int column, const QString& text) {
    QApplication::setActiveWindow(form);
    const QModelIndex cell = form->IDGrid->Model().index(row, column);
    form->IDGrid->scrollTo(cell);
    QTest::mouseClick(form->IDGrid->viewport(), Qt::LeftButton, {}, form->IDGrid->visualRect(cell).center());
    TypeIntoGrid(text);
    PressInGrid(Qt::Key_Return);
  }

  // How long the last transfer took, from its button's click to its end.
  std::chrono::duration<double> lastTransferTime{};
  const std::uint16_t testerPort = testing::ComPortNamedBy("ORVEL_TEST_COM_FILLED_TESTER");
  const std::filesystem::path log = PathNamedBy("ORVEL_TEST_FILLED_TESTER_LOG");
  // Fails a test on a box it did not expect instead of letting it block the run.
  testing::ModalDriver boxes;
};

TEST_F(IdFormThroughComPort, ReadsTheTestersPairsAndSendsCorrectedOnesBack) {
  ASSERT_EQ(ReadIntoNewGroup("From tester"), ReadListLines());
  const std::chrono::duration<double> readTime = lastTransferTime;
  EXPECT_EQ(GridRows(), FilledTesterContent());

  std::vector<IdPair> corrected = FilledTesterContent();
  corrected[0].first = "TRL-9001";
  corrected[16].second = "M\xDCNCHEN 17";
  corrected[30].second = "X";
  RetypeCell(0, 0, "TRL-9001");
  RetypeCell(16, 1, QString::fromLatin1("M\xDCNCHEN 17"));
  RetypeCell(30, 1, "X");
  ASSERT_EQ(GridRows(), corrected);

  EXPECT_EQ(LinesOfTransfer(form->DownLoadButton), SendListLines(corrected));
  EXPECT_EQ(form->Label3->text().toStdString(), "IDs successfully sent");
  // A figure to watch, not a limit: the paced tester makes both transfers one poll per
  // request, so Send should take as long as Read.
  std::printf("64 IDs on the paced tester: Read %.2f s, Send %.2f s, Send/Read %.2f\n", readTime.count(),
              lastTransferTime.count(), lastTransferTime / readTime);

  EXPECT_EQ(ReadIntoNewGroup("Read back"), ReadListLines());
  EXPECT_EQ(GridRows(), AllPadded(corrected));
}

TEST_F(IdFormThroughComPort, CompanyNameGoesToTheTesterAndComesBack) {
  const std::string name = "Br\xE4msen Nord";
  ClickPage(form->CompanyIDTab);
  form->Edit3->clear();
  testing::TypeText(form->Edit3, QString::fromLatin1(name));

  ASSERT_EQ(LinesOfTransfer(form->SendIDButton),
            (std::vector<std::string>{test::IdentificationLine, test::FollowUpLine,
                                      test::WriteLine(test::CompanyNameAddress, Padded(name))}));
  EXPECT_EQ(form->Label3->text().toStdString(), "Company ID successfully sent");

  form->Edit3->clear();
  const std::string readName = test::ReadLine(test::CompanyNameAddress);
  EXPECT_EQ(LinesOfTransfer(form->ReadIDButton),
            (std::vector<std::string>{test::IdentificationLine, test::FollowUpLine, readName, readName}));
  EXPECT_EQ(form->Label3->text().toStdString(), "Company ID successfully acquired");
  EXPECT_EQ(EightBit(form->Edit3->text()), Padded(name));
}

}  // namespace
}  // namespace orvel
