#include "demo/TrafficWindow.h"

#include <QFontDatabase>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSplitter>
#include <QTableWidget>
#include <QVBoxLayout>
#include <sstream>

#include "simulator/TesterMemory.h"
#include "simulator/TrafficDisplay.h"

namespace orvel::demo {
namespace {

// Enough for several hours of transfers; older lines go first.
constexpr int kMaximumTrafficLines = 20000;

QString Latin1(const std::string& text) {
  return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

QGroupBox* Framed(const QString& title, QWidget* content, QWidget* above = nullptr) {
  auto* frame = new QGroupBox(title);
  auto* layout = new QVBoxLayout(frame);
  if (above != nullptr) layout->addWidget(above);
  layout->addWidget(content);
  return frame;
}

}  // namespace

TrafficWindow::TrafficWindow(sim::TesterSimulator& tester, const QString& note)
    : tester_(tester), start_(std::chrono::steady_clock::now()) {
  setObjectName("TrafficWindow");
  setWindowTitle(QStringLiteral("Simulated tester"));
  // Closing this window alone must not end the demo; closing the start window does.
  setAttribute(Qt::WA_QuitOnClose, false);
  // Fixed pitch, so that the 16-character IDs line up and their trailing blanks show.
  const QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);

  Note = new QLabel(note);
  Note->setWordWrap(true);
  Note->setTextInteractionFlags(Qt::TextSelectableByMouse);

  CompanyName = new QLineEdit;
  CompanyName->setObjectName("CompanyName");
  CompanyName->setReadOnly(true);
  CompanyName->setFont(fixed);
  Slots = new QTableWidget(static_cast<int>(sim::TesterSlotCount), 2);
  Slots->setObjectName("Slots");
  Slots->setHorizontalHeaderLabels({QStringLiteral("Trailer ID"), QStringLiteral("Vehicle ID")});
  Slots->setEditTriggers(QAbstractItemView::NoEditTriggers);
  Slots->setFont(fixed);
  Slots->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
  Slots->verticalHeader()->setDefaultSectionSize(Slots->fontMetrics().height() + 4);

  TrafficLog = new QPlainTextEdit;
  TrafficLog->setObjectName("TrafficLog");
  TrafficLog->setReadOnly(true);
  TrafficLog->setFont(fixed);
  TrafficLog->setLineWrapMode(QPlainTextEdit::NoWrap);
  TrafficLog->setMaximumBlockCount(kMaximumTrafficLines);
  auto* legend = new QLabel(QStringLiteral("<- request line received    -> reply sent    <CR> carriage return"));

  auto* memory = new QWidget;
  auto* memoryLayout = new QVBoxLayout(memory);
  memoryLayout->setContentsMargins(0, 0, 0, 0);
  memoryLayout->addWidget(new QLabel(QStringLiteral("Company name")));
  memoryLayout->addWidget(CompanyName);
  memoryLayout->addWidget(Slots);

  // One above the other, so that the window fits beside the program's narrow windows.
  auto* splitter = new QSplitter(Qt::Vertical);
  splitter->addWidget(Framed(QStringLiteral("What the tester holds"), memory));
  splitter->addWidget(Framed(QStringLiteral("Traffic on the line"), TrafficLog, legend));

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(Note);
  layout->addWidget(splitter, 1);
  resize(460, 760);
  ShowTesterMemory();
}

void TrafficWindow::Post(const sim::TrafficEvent& event) {
  QMetaObject::invokeMethod(
      this, [this, event] { Show(event); }, Qt::QueuedConnection);
}

void TrafficWindow::Show(const sim::TrafficEvent& event) {
  std::ostringstream line;
  sim::ShowTraffic(line, event, start_);
  std::string text = line.str();
  while (!text.empty() && text.back() == '\n') text.pop_back();
  TrafficLog->appendPlainText(Latin1(text));
  // A write is stored by the time its reply goes out.
  if (event.kind == sim::TrafficKind::ReplySent) ShowTesterMemory();
}

void TrafficWindow::ShowTesterMemory() {
  CompanyName->setText(Latin1(tester_.CompanyName()));
  for (std::size_t slot = 0; slot < sim::TesterSlotCount; ++slot) {
    const int row = static_cast<int>(slot);
    Slots->setItem(row, 0, new QTableWidgetItem(Latin1(tester_.TrailerId(slot))));
    Slots->setItem(row, 1, new QTableWidgetItem(Latin1(tester_.VehicleId(slot))));
  }
}

}  // namespace orvel::demo
