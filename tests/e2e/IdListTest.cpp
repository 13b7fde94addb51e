#include <gtest/gtest.h>

#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>

#include "TesterLinkFixture.h"
#include "app/DataSourceTableModel.h"
#include "app/TDBGrid.h"
#include "app/TDBLookupComboBox.h"

namespace orvel {
namespace {

using testing::IdPair;
using testing::Padded;
using testing::RequestLine;
using testing::TrailerSlotAddress;
using testing::VehicleSlotAddress;

constexpr std::size_t kSlots = 32;

std::string SlotNumber(std::size_t slot) { return std::string(slot < 9 ? "0" : "").append(std::to_string(slot + 1)); }

// 8-bit letters throughout; full-width IDs, IDs with trailing blanks, and in the last two
// rows IDs shorter than 16 characters and blank ones.
std::vector<IdPair> EightBitIds() {
  std::vector<IdPair> rows;
  for (std::size_t slot = 0; slot < kSlots; ++slot) {
    const std::string number = SlotNumber(slot);
    rows.push_back({Padded("Tr\xE4iler \xA7" + number),
                    slot % 2 == 0 ? "\xC6\xD8\xC5-Fahrzeug-" + number + "\xFF" : Padded("V\xE9hicule " + number)});
  }
  rows[30] = {"", "ABC"};
  rows[31] = {Padded(""), Padded("")};
  return rows;
}

std::vector<IdPair> OldIds() {
  std::vector<IdPair> rows;
  for (std::size_t slot = 0; slot < kSlots; ++slot)
    rows.push_back({"OLD T" + SlotNumber(slot), "OLD V" + SlotNumber(slot)});
  return rows;
}

std::vector<IdPair> TesterIds() {
  std::vector<IdPair> rows;
  for (std::size_t slot = 0; slot < kSlots; ++slot) {
    rows.push_back({Padded("NEU T\xDC" + SlotNumber(slot)), Padded("NEU V\xDC" + SlotNumber(slot))});
  }
  return rows;
}

std::vector<IdPair> AllPadded(std::vector<IdPair> rows) {
  for (IdPair& row : rows) row = {Padded(row.trailer), Padded(row.vehicle)};
  return rows;
}

const std::vector<std::string> kIdentification = {"!000010190\r", "!000010107\r"};

// The lines of a Read: identification, all Trailer IDs, then the Vehicle IDs up to
// and including the given slot.
std::vector<std::string> ReadLines(std::size_t lastVehicleSlot = kSlots - 1) {
  std::vector<std::string> lines = kIdentification;
  for (std::size_t slot = 0; slot < kSlots; ++slot) lines.push_back(RequestLine(3, TrailerSlotAddress(slot)));
  for (std::size_t slot = 0; slot <= lastVehicleSlot; ++slot) lines.push_back(RequestLine(3, VehicleSlotAddress(slot)));
  return lines;
}

class IdListTransfer : public testing::TesterLinkFixture {
 protected:
  IdListTransfer() {
    MapPort(1, tester.DevicePath());
    OpenLinkedForm();
  }

  void LoadTester(const std::vector<IdPair>& ids) {
    for (std::size_t slot = 0; slot < ids.size(); ++slot) {
      tester.SetTrailerId(slot, ids[slot].trailer);
      tester.SetVehicleId(slot, ids[slot].vehicle);
    }
  }

  void ConfirmOverwrite() {
    boxes.Then([](QWidget* box) { testing::PressKey(box, Qt::Key_Return); });
  }
};

TEST_F(IdListTransfer, SendThenReadCarriesEightBitIdsUnchanged) {
  const std::vector<IdPair> ids = EightBitIds();
  LoadTester(OldIds());
  const std::string source = CreateGroupHolding("Source", ids);
  const std::string target = CreateGroupHolding("Target", {});
  ChooseGroupByDropDown(0);
  testing::WindowView sending;
  OnRequestLine(RequestLine(2, 0xFF00, Padded(ids[0].trailer)), [&] { sending = ViewNow(); });

  QTest::mouseClick(form->DownLoadButton, Qt::LeftButton);

  EXPECT_EQ(sending.status, "Sending IDs on Com1");
  EXPECT_EQ(sending.identity.toStdString(), std::string("Tester No:") + kTesterSerial + " on COM1");
  EXPECT_EQ(sending.enabledControls, testing::ControlsLiveDuringASession());
  EXPECT_EQ(form->Label3->text(), "IDs successfully sent");
  EXPECT_EQ(form->Label4->text(), "");
  std::vector<std::string> sendLines = kIdentification;
  for (std::size_t slot = 0; slot < kSlots; ++slot) {
    sendLines.push_back(RequestLine(2, TrailerSlotAddress(slot), Padded(ids[slot].trailer)));
    sendLines.push_back(RequestLine(2, VehicleSlotAddress(slot), Padded(ids[slot].vehicle)));
  }
  EXPECT_EQ(RequestLines(), sendLines);
  for (std::size_t slot = 0; slot < kSlots; ++slot) {
    EXPECT_EQ(tester.TrailerId(slot), Padded(ids[slot].trailer)) << slot;
    EXPECT_EQ(tester.VehicleId(slot), Padded(ids[slot].vehicle)) << slot;
  }
  EXPECT_EQ(StoredIdList(source), ids);

  ChooseGroupByDropDown(1);
  ConfirmOverwrite();
  testing::WindowView receiving;
  OnRequestLine(RequestLine(3, 0xFF00), [&] { receiving = ViewNow(); });

  QTest::mouseClick(form->UploadButton, Qt::LeftButton);

  ASSERT_EQ(boxes.Answered(), 1);
  EXPECT_EQ(boxes.Seen()[0].text, "Overwrite all current IDs?");
  EXPECT_EQ(receiving.status, "Receiving IDs on Com 1");
  const std::vector<std::string> lines = RequestLines();
  std::vector<std::string> readLines = ReadLines();
  readLines.push_back(readLines.back());  // the last ID asked again, to confirm the answers
  EXPECT_EQ(std::vector<std::string>(lines.begin() + std::ssize(sendLines), lines.end()), readLines);
  EXPECT_EQ(StoredIdList(target), AllPadded(ids));
  EXPECT_EQ(form->Label3->text(), "IDs successfully acquired");
  EXPECT_EQ(form->Label4->text(), "");
  EXPECT_EQ(ViewNow().enabledControls, testing::AllControls());
  EXPECT_TRUE(PageComesToFront(form->GroupNameTab));
}

TEST_F(IdListTransfer, ReadFailingAtTheFifthVehicleIdLeavesTheGroupAsItWas) {
  LoadTester(TesterIds());
  tester.AddFaultRule({sim::FaultKind::NoAnswer, std::nullopt, VehicleSlotAddress(4), 4, {}});
  const std::string table = CreateGroupHolding("Fleet", OldIds());
  ChooseGroupByDropDown(0);
  ConfirmOverwrite();
  boxes.Then([](QWidget* box) { testing::PressKey(box, Qt::Key_Return); });

  QTest::mouseClick(form->UploadButton, Qt::LeftButton);

  ASSERT_EQ(boxes.Answered(), 2);
  EXPECT_EQ(boxes.Seen()[1].title, "Information");
  EXPECT_EQ(boxes.Seen()[1].text, "Unable to read data. The group was not changed.");
  std::vector<std::string> expectedLines = ReadLines(4);
  expectedLines.insert(expectedLines.end(), 3, RequestLine(3, VehicleSlotAddress(4)));
  ASSERT_TRUE(RequestsArrive(expectedLines.size()));
  EXPECT_EQ(RequestLines(), expectedLines);
  EXPECT_EQ(StoredIdList(table), OldIds());
  EXPECT_EQ(form->IDGrid->Model().rowCount(), 32);
  EXPECT_EQ(form->ExitButton->text(), "Cancel");
  EXPECT_EQ(form->PageControl1->currentWidget(), form->StatusTab);
  EXPECT_FALSE(form->Timer2.isActive());
}

TEST_F(IdListTransfer, CancelDuringAWaitLeavesTheGroupAsItWas) {
  LoadTester(TesterIds());
  // The third Trailer ID is not answered at once, so Cancel meets the wait for it.
  tester.AddFaultRule({sim::FaultKind::NoAnswer, std::nullopt, TrailerSlotAddress(2), 1, {}});
  const std::string table = CreateGroupHolding("Fleet", OldIds());
  ChooseGroupByDropDown(0);
  ConfirmOverwrite();
  OnRequestLine(RequestLine(3, TrailerSlotAddress(2)), [&] { QTest::mouseClick(form->ExitButton, Qt::LeftButton); });

  QTest::mouseClick(form->UploadButton, Qt::LeftButton);

  EXPECT_EQ(RequestLines(), (std::vector<std::string>{kIdentification[0], kIdentification[1], RequestLine(3, 0xFF00),
                                                      RequestLine(3, 0xFF08), RequestLine(3, 0xFF10)}));
  EXPECT_EQ(StoredIdList(table), OldIds());
  EXPECT_EQ(form->IDGrid->Model().rowCount(), 32);
  const testing::WindowView after = ViewNow();
  EXPECT_EQ(after.status, "Communications aborted");
  EXPECT_EQ(after.identity, "The group was not changed.");
  EXPECT_EQ(after.exitCaption, "Exit");
  EXPECT_EQ(after.enabledControls, testing::AllControls());
  EXPECT_TRUE(PageComesToFront(form->GroupNameTab));
}

TEST_F(IdListTransfer, ReadAndSendUseTheGroupTheGridShowsAfterAnArrowKeyChoice) {
  const std::string alpha = CreateGroupHolding("Alpha", OldIds());
  const std::string bravo = CreateGroupHolding("Bravo", {{"BRAVO T", "BRAVO V"}});
  ChooseGroupByDropDown(0);
  QTest::keyClick(form->GroupNameComboBox, Qt::Key_Down);

  QTest::mouseClick(form->DownLoadButton, Qt::LeftButton);

  ASSERT_EQ(form->Label3->text(), "IDs successfully sent");
  for (std::size_t slot = 0; slot < kSlots; ++slot) EXPECT_EQ(tester.TrailerId(slot), Padded(OldIds()[slot].trailer));

  LoadTester(TesterIds());
  ConfirmOverwrite();
  QTest::mouseClick(form->UploadButton, Qt::LeftButton);

  ASSERT_EQ(form->Label3->text(), "IDs successfully acquired");
  EXPECT_EQ(StoredIdList(alpha), TesterIds());
  EXPECT_EQ(StoredIdList(bravo)[0], (IdPair{"BRAVO T", "BRAVO V"}));
  EXPECT_EQ(form->IDListTable.TableName(), alpha);
}

}  // namespace
}  // namespace orvel
