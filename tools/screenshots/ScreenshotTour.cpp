#include "screenshots/ScreenshotTour.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QTabWidget>
#include <QTimer>
#include <QToolButton>
#include <utility>

#include "app/Identities.h"
#include "app/TDBGrid.h"
#include "app/TDBLookupComboBox.h"
#include "app/WS_IDS.h"
#include "demo/TrafficWindow.h"

namespace orvel::screenshots {
namespace {

// Long enough for a search and a full transfer, even in a sanitizer build.
constexpr int kDeadlineMs = 60000;
// The Status page is taken once this many request lines have gone out, well into the
// ID list and well before its end.
constexpr std::size_t kRequestsBeforeStatusPicture = 24;

}  // namespace

ScreenshotTour::ScreenshotTour(demo::DemoSession& demo, std::filesystem::path outputFolder)
    : demo_(demo), outputFolder_(std::move(outputFolder)) {}

std::vector<std::string> ScreenshotTour::Run() {
  TIntroForm& intro = demo_.IntroForm();
  demo_.Show();
  QCoreApplication::processEvents();
  Save(intro, "start-window.png");
  // Start shows the Configure IDs window modally: the tour goes on inside that window's
  // event loop, and Start returns once the tour has closed the window.
  QTimer::singleShot(0, [this] { InsideConfigureIds(); });
  intro.StartButton->click();
  return problems_;
}

void ScreenshotTour::InsideConfigureIds() {
  TIDForm* form = demo_.IntroForm().IDForm.data();
  if (form == nullptr) {
    problems_.push_back("the Configure IDs window did not open");
    return;
  }
  // A transfer that never ends (no answer, or a box that nobody answers) would keep the
  // tour waiting for good: past the deadline it is cancelled and reported instead.
  QTimer watchdog;
  QObject::connect(&watchdog, &QTimer::timeout, [this, form] {
    problems_.push_back("a step did not end in time; status: \"" + form->Label3->text().toStdString() + "\"");
    if (QWidget* box = QApplication::activeModalWidget(); box != nullptr && box != form) box->close();
    if (form->ExitButton->text() == QStringLiteral("Cancel")) form->ExitButton->click();
  });
  watchdog.start(kDeadlineMs);

  // As the operator chooses: the grid switches only when a drop-down that was open closes.
  form->GroupNameComboBox->showPopup();
  form->GroupNameComboBox->setCurrentIndex(0);
  form->GroupNameComboBox->hidePopup();
  if (WaitUntil([form] { return form->IDListTable.Active(); }, "the example group to open")) {
    form->IDGrid->setCurrentIndex(form->IDGrid->model()->index(2, 0));
    Save(*form, "configure-ids-group-name.png");
  }

  QTimer statusPicture;
  statusPicture.setInterval(20);
  QObject::connect(&statusPicture, &QTimer::timeout, [this, form, &statusPicture] {
    if (demo_.Tester().RequestCount() < kRequestsBeforeStatusPicture) return;
    statusPicture.stop();
    Save(*form, "configure-ids-status.png");
  });
  statusPicture.start();
  form->DownLoadButton->click();
  if (statusPicture.isActive()) problems_.push_back("the Send ended before the Status page was taken");
  if (form->Label3->text() != QStringLiteral("IDs successfully sent")) {
    problems_.push_back("the Send ended with \"" + form->Label3->text().toStdString() + "\"");
  }

  form->ReadIDButton->click();
  if (WaitUntil([form] { return form->PageControl1->currentWidget() == form->CompanyIDTab; },
                "the Company Name page to return after the Read")) {
    Save(*form, "configure-ids-company-name.png");
  }
  Save(demo_.Traffic(), "simulated-tester.png");
  form->close();
}

void ScreenshotTour::Save(QWidget& widget, const std::string& fileName) {
  const std::filesystem::path file = outputFolder_ / fileName;
  if (!widget.grab().save(QString::fromStdString(file.string()), "PNG")) {
    problems_.push_back("cannot write " + file.string());
  }
}

bool ScreenshotTour::WaitUntil(const std::function<bool()>& condition, const std::string& what) {
  const QDeadlineTimer deadline(kDeadlineMs);
  while (!condition()) {
    if (deadline.hasExpired()) {
      problems_.push_back("gave up waiting for " + what);
      return false;
    }
    QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
  }
  return true;
}

}  // namespace orvel::screenshots
