#include "demo/DemoSession.h"

#include <QGuiApplication>
#include <QScreen>
#include <algorithm>
#include <optional>
#include <string>

#include "app/Identities.h"
#include "app/WS_IDS.h"
#include "demo/ExampleTester.h"
#include "demo/TrafficWindow.h"

namespace orvel::demo {
namespace {

constexpr const char* kFolderPrefix = "orvel-ids-demo-";

// The start window and the Configure IDs window are centred on the screen, the wider
// of them reaching this far from the centre. The tester's window goes beside them.
constexpr int kProgramHalfWidth = 170;

PortDeviceMap OnlyPortOne(std::string device) {
  return [device = std::move(device)](std::uint16_t port) -> std::optional<std::string> {
    if (port == 1) return device;
    return std::nullopt;
  };
}

QString NoteFor(const std::string& device, const std::filesystem::path& store) {
  return QStringLiteral(
             "This tester is simulated on %1, which the demo's program uses as port 1 (COM1). The demo's groups are "
             "kept in %2, which is removed when the demo ends. From a terminal, orvel-ids reaches this tester with "
             "--device %1, for example: orvel-ids --device %1 company")
      .arg(QString::fromStdString(device), QString::fromStdString(store.string()));
}

}  // namespace

DemoSession::DemoSession() : folder_(kFolderPrefix) {
  LoadExampleContent(tester_);
  // Replies leave at the real line's speed, so transfers take as long as with a tester.
  tester_.SetPacing(sim::Pacing::Baud9600);
  traffic_ = std::make_unique<TrafficWindow>(tester_, NoteFor(tester_.DevicePath(), TopLevelFolder()));
  intro_ = std::make_unique<orvel::TIntroForm>(TopLevelFolder(), OnlyPortOne(tester_.DevicePath()));
  tester_.SetTrafficObserver([traffic = traffic_.get()](const sim::TrafficEvent& event) { traffic->Post(event); });
  // Started last: once it runs, the windows may only go after it has stopped.
  tester_.Start();
}

DemoSession::~DemoSession() {
  // The Configure IDs window lets go of the port before the tester's end of the line
  // goes, and the tester stops reporting before the window it reports to goes.
  delete intro_->IDForm.data();
  intro_.reset();
  tester_.Stop();
  traffic_.reset();
}

void DemoSession::Show() {
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    const QRect area = screen->availableGeometry();
    const int rightOfProgram = area.center().x() + kProgramHalfWidth;
    const int leftOfProgram = area.center().x() - kProgramHalfWidth - traffic_->width();
    int left = area.right() - traffic_->width();
    if (rightOfProgram + traffic_->width() <= area.right()) {
      left = rightOfProgram;
    } else if (leftOfProgram >= area.left()) {
      left = leftOfProgram;
    }
    traffic_->resize(traffic_->width(), std::min(traffic_->height(), area.height()));
    traffic_->move(std::max(area.left(), left), std::max(area.top(), area.center().y() - traffic_->height() / 2));
  }
  // The start window last, so that it is in front.
  traffic_->show();
  intro_->show();
}

}  // namespace orvel::demo
