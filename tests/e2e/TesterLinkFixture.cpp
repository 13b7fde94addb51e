#include "TesterLinkFixture.h"

#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>
#include <atomic>
#include <cstdio>
#include <memory>
#include <optional>
#include <stdexcept>
#include <utility>

#include "app/TDBGrid.h"
#include "app/TDBLookupComboBox.h"
#include "store/StoreSchema.h"
#include "tables/TTable.h"

namespace orvel::testing {
namespace {

// The page comes back one second after a session; the rest is slack for slow builds.
constexpr qint64 kDeadlineMs = 5000;
constexpr int kEventStepMs = 10;

template <typename Condition>
bool HandleEventsUntil(Condition condition) {
  QElapsedTimer waited;
  waited.start();
  while (!condition()) {
    if (waited.elapsed() > kDeadlineMs) return false;
    QTest::qWait(kEventStepMs);
  }
  return true;
}

}  // namespace

TesterLinkFixture::TesterLinkFixture() {
  tester.SetIdentity({kTesterSerial, "Q7", "end-to-end tester"});
  tester.Start();
}

TesterLinkFixture::~TesterLinkFixture() {
  // The window and its port go first, while the tester still holds its end of the line.
  delete form.data();
  tester.Stop();
  EXPECT_EQ(tester.Failure(), "");
}

void TesterLinkFixture::MapPort(std::uint16_t port, std::string devicePath) { ports_[port] = std::move(devicePath); }

TIDForm& TesterLinkFixture::OpenLinkedForm() {
  return OpenForm([ports = ports_](std::uint16_t port) -> std::optional<std::string> {
    const auto found = ports.find(port);
    return found != ports.end() ? std::optional<std::string>(found->second) : std::nullopt;
  });
}

std::vector<std::string> TesterLinkFixture::RequestLines() const {
  std::vector<std::string> lines;
  for (const sim::ReceivedLine& received : tester.RequestLog()) lines.push_back(received.text);
  return lines;
}

void TesterLinkFixture::OnRequestLine(const std::string& line, std::function<void()> action) {
  auto pending = std::make_shared<std::atomic<bool>>(true);
  QObject* gui = &guiThread_;
  tester.SetTrafficObserver([gui, line, action = std::move(action), pending](const sim::TrafficEvent& event) {
    if (event.kind == sim::TrafficKind::LineReceived && event.bytes == line && pending->exchange(false)) {
      QMetaObject::invokeMethod(gui, action, Qt::QueuedConnection);
    }
  });
}

WindowView TesterLinkFixture::ViewNow() const {
  WindowView view{
      form->Label3->text(), form->Label4->text(), form->ExitButton->text(), form->PageControl1->currentWidget(), {}};
  for (QWidget* control :
       std::initializer_list<QWidget*>{form->GroupNameComboBox, form->NewGroupButton, form->DeleteGroupButton,
                                       form->UploadButton, form->DownLoadButton, form->ReadIDButton, form->SendIDButton,
                                       form->Edit3, form->IDGrid, form->ExitButton, form->PageControl1}) {
    if (control->isEnabled()) view.enabledControls << control->objectName();
  }
  return view;
}

bool TesterLinkFixture::RequestsArrive(std::size_t count) const {
  return HandleEventsUntil([&] { return tester.RequestCount() >= count; });
}

bool TesterLinkFixture::PageComesToFront(QWidget* page) const {
  return HandleEventsUntil([&] { return form->PageControl1->currentWidget() == page; });
}

std::string TesterLinkFixture::CreateGroupHolding(const QString& name, const std::vector<IdPair>& rows) {
  CreateGroupThroughWindow(name);
  const auto groups = StoredGroups();
  if (groups.empty() || groups.back().first != name.toStdString()) {
    throw std::runtime_error("the group " + name.toStdString() + " was not created");
  }
  TTable table;
  table.SetDatabaseName(folders.idLists.string());
  table.SetTableName(groups.back().second);
  table.Open();
  for (std::size_t row = 0; row < rows.size(); ++row) {
    table.SetRecNo(static_cast<int>(row) + 1);
    table.Edit();
    table.FieldByName(kTrailerIdField).SetAsString(rows[row].trailer);
    table.FieldByName(kVehicleIdField).SetAsString(rows[row].vehicle);
    table.Post();
  }
  return groups.back().second;
}

std::vector<IdPair> TesterLinkFixture::StoredIdList(const std::string& tableName) const {
  TTable table;
  table.SetDatabaseName(folders.idLists.string());
  table.SetTableName(tableName);
  table.Open();
  std::vector<IdPair> rows;
  for (table.First(); !table.Eof(); table.Next()) {
    rows.push_back({table.FieldByName(kTrailerIdField).AsString(), table.FieldByName(kVehicleIdField).AsString()});
  }
  return rows;
}

QStringList AllControls() {
  return {"GroupNameComboBox", "NewGroupButton", "DeleteGroupButton",
          "UploadButton",      "DownLoadButton", "ReadIDButton",
          "SendIDButton",      "Edit3",          "IDGrid",
          "ExitButton",        "PageControl1"};
}

QStringList ControlsLiveDuringASession() { return {"ExitButton", "PageControl1"}; }

std::string Padded(std::string text) {
  if (text.size() < 16) text.append(16 - text.size(), ' ');
  return text;
}

std::string RequestLine(int code, std::uint16_t address, const std::string& payload) {
  char head[16];
  std::snprintf(head, sizeof head, "!0000%d%04X", code, static_cast<unsigned>(address));
  return head + payload + "\r";
}

std::uint16_t TrailerSlotAddress(std::size_t slot) { return static_cast<std::uint16_t>(0xFF00 + 8 * slot); }

std::uint16_t VehicleSlotAddress(std::size_t slot) { return static_cast<std::uint16_t>(0xFE00 + 8 * slot); }

}  // namespace orvel::testing

void PrintTo(const QString& text, std::ostream* out) { *out << '"' << text.toStdString() << '"'; }
