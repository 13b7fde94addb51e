#include "app/WS_IDS.h"

#include <QCloseEvent>
#include <QEventLoop>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QTabBar>
#include <QTabWidget>
#include <QToolButton>
#include <utility>

#include "app/ErrorReport.h"
#include "app/TDBGrid.h"
#include "app/TDBLookupComboBox.h"
#include "store/StoreSchema.h"
#include "tables/TSession.h"

namespace orvel {
namespace {

constexpr int kTooltipDurationMs = 2500;

QFont NamedFont(const char* family, bool italic = false) {
  QFont font(QString::fromLatin1(family), 8);
  font.setItalic(italic);
  return font;
}

QWidget* AddPage(QTabWidget* pages, const char* name, const QString& caption, const QString& hint) {
  auto* page = new QWidget;
  page->setObjectName(QString::fromLatin1(name));
  page->setToolTip(hint);
  pages->addTab(page, caption);
  return page;
}

// A frame without a caption whose top edge sits just above the page, as on each page.
QGroupBox* PageFrame(QWidget* page, const char* name, int width, const QString& hint) {
  auto* frame = new QGroupBox(page);
  frame->setObjectName(QString::fromLatin1(name));
  frame->setGeometry(0, -4, width, 69);
  frame->setToolTip(hint);
  return frame;
}

QPushButton* SmallButton(QWidget* parent, const char* name, const char* caption, QRect geometry, const char* hint) {
  auto* button = new QPushButton(QString::fromLatin1(caption), parent);
  button->setObjectName(QString::fromLatin1(name));
  button->setGeometry(geometry);
  button->setToolTip(QString::fromLatin1(hint));
  return button;
}

}  // namespace

TIDForm::TIDForm(StoreFolders folders, QWidget* startWindow, PortDeviceMap devices)
    : QWidget(nullptr, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                           Qt::WindowCloseButtonHint),
      Commune(devices),
      folders_(std::move(folders)),
      startWindow_(startWindow),
      communePort_(Commune, std::move(devices)),
      link_(communePort_, *this) {
  setObjectName("IDForm");
  setAttribute(Qt::WA_DeleteOnClose, false);
  IDGroupTable.SetDatabaseName(folders_.data.string());
  IDGroupTable.SetTableName(kGroupTableName);
  IDGroupTable.DeclareField(kGroupNameField, kGroupNameWidth);
  IDGroupTable.DeclareField(kIdListNameField, kIdListNameWidth);
  IDListTable.SetDatabaseName(folders_.idLists.string());

  Commune.SetSettings(TesterPortSettings());
  Commune.SetComNumber(1);
  Timer1.setInterval(100);
  connect(&Timer1, &QTimer::timeout, this, [this] { link_.Tick(); });
  Timer2.setInterval(1000);
  connect(&Timer2, &QTimer::timeout, this, [this] { Timer2Timer(); });

  BuildControls();
  RunReportingErrors([this] { FormCreate(); });
}

TIDForm::~TIDForm() {
  // The controls follow the tables through their data sources, so they go before the
  // tables and data sources, which as members would otherwise be destroyed first.
  qDeleteAll(findChildren<QWidget*>(Qt::FindDirectChildrenOnly));
}

void TIDForm::BuildControls() {
  setWindowTitle(QStringLiteral("Configure IDs"));
  setFont(NamedFont("MS Sans Serif"));
  setFixedSize(242, 490);
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    move(screen->availableGeometry().center() - rect().center());
  }

  GroupBox7 = new QGroupBox(QStringLiteral("ID List"), this);
  GroupBox7->setObjectName("GroupBox7");
  GroupBox7->setGeometry(3, 0, 237, 361);
  GroupBox7->setFont(NamedFont("Tahoma", true));

  IDGrid = new TDBGrid(DataSource2, GroupBox7);
  IDGrid->setObjectName("IDGrid");
  IDGrid->setGeometry(7, 16, 222, 337);
  IDGrid->setFont(NamedFont("Tahoma"));
  IDGrid->setFrameStyle(QFrame::NoFrame);
  IDGrid->setToolTip(QStringLiteral("List of all ID's"));
  IDGrid->onKeyPress = [this](int& key) { IDGridKeyPress(key); };
  IDGrid->Model().textRefusal = [this](const QString& text) { return IDGridTextRefusal(text); };

  ExitButton = new QToolButton(this);
  ExitButton->setObjectName("ExitButton");
  ExitButton->setGeometry(96, 368, 49, 17);
  ExitButton->setText(QStringLiteral("Exit"));
  ExitButton->setToolTip(QStringLiteral("Close"));
  ExitButton->setFocusPolicy(Qt::NoFocus);
  ExitButton->setAutoRaise(true);
  connect(ExitButton, &QToolButton::clicked, this, [this] { ExitButtonClick(); });

  PageControl1 = new QTabWidget(this);
  PageControl1->setObjectName("PageControl1");
  PageControl1->setGeometry(0, 392, 243, 97);
  PageControl1->setTabPosition(QTabWidget::South);
  PageControl1->setDocumentMode(true);
  PageControl1->tabBar()->setExpanding(false);
  // All three tabs stay in view with whatever font stands in for the requested one.
  PageControl1->tabBar()->setUsesScrollButtons(false);
  BuildGroupNamePage();
  BuildCompanyNamePage();
  BuildStatusPage();
  // Set once the pages are in place: a page that joins a styled tab control keeps the
  // application's font instead of the window's.
  PageControl1->setStyleSheet(QStringLiteral("QTabBar::tab { padding: 2px 5px; }"));
  BuildGridMenu();

  for (QWidget* child : findChildren<QWidget*>()) child->setToolTipDuration(kTooltipDurationMs);
  setTabOrder(PageControl1, IDGrid);
  setTabOrder(GroupNameComboBox, NewGroupButton);
  setTabOrder(NewGroupButton, DeleteGroupButton);
  setTabOrder(DeleteGroupButton, UploadButton);
  setTabOrder(UploadButton, DownLoadButton);
  setTabOrder(Edit3, ReadIDButton);
  setTabOrder(ReadIDButton, SendIDButton);
}

void TIDForm::BuildGroupNamePage() {
  GroupNameTab = AddPage(PageControl1, "GroupNameTab", QStringLiteral("Group Name"), QString());
  GroupBox6 = PageFrame(GroupNameTab, "GroupBox6", 235, QString());
  GroupNameComboBox = new TDBLookupComboBox(DataSource1, kGroupNameField, GroupBox6);
  GroupNameComboBox->setObjectName("GroupNameComboBox");
  GroupNameComboBox->setGeometry(47, 16, 145, 21);
  connect(GroupNameComboBox, &TDBLookupComboBox::closedUp, this, [this] {
    HandlerScope scope(*this);
    GroupNameComboBoxCloseUp();
  });

  NewGroupButton = SmallButton(GroupBox6, "NewGroupButton", "New", {35, 40, 41, 17}, "Setup a new ID group");
  DeleteGroupButton =
      SmallButton(GroupBox6, "DeleteGroupButton", "Delete", {76, 40, 41, 17}, "Delete the selected group");
  UploadButton = SmallButton(GroupBox6, "UploadButton", "Read", {117, 40, 41, 17}, "Retrieve ID's from tester");
  DownLoadButton = SmallButton(GroupBox6, "DownLoadButton", "Send", {158, 40, 41, 17}, "Send ID's to tester");
  OnClick(NewGroupButton, &TIDForm::NewGroupButtonClick);
  OnClick(DeleteGroupButton, &TIDForm::DeleteGroupButtonClick);
  OnClick(UploadButton, &TIDForm::UploadButtonClick);
  OnClick(DownLoadButton, &TIDForm::DownLoadButtonClick);
}

void TIDForm::BuildCompanyNamePage() {
  const QString hint = QStringLiteral("This ID is shown on the top of the printout");
  CompanyIDTab = AddPage(PageControl1, "CompanyIDTab", QStringLiteral("Company Name"), hint);
  GroupBox5 = PageFrame(CompanyIDTab, "GroupBox5", 233, hint);
  Edit3 = new QLineEdit(GroupBox5);
  Edit3->setObjectName("Edit3");
  Edit3->setGeometry(69, 16, 100, 21);
  Edit3->setMaxLength(16);
  Edit3->setToolTip(hint);
  ReadIDButton = SmallButton(GroupBox5, "ReadIDButton", "Read", {80, 40, 41, 17}, "Retrieve ID from tester");
  SendIDButton = SmallButton(GroupBox5, "SendIDButton", "Send", {118, 40, 41, 17}, "Send ID to tester");
  SendIDButton->raise();
  OnClick(ReadIDButton, &TIDForm::ReadIDButtonClick);
  OnClick(SendIDButton, &TIDForm::SendIDButtonClick);
}

void TIDForm::BuildStatusPage() {
  const QString hint = QStringLiteral("Communication status");
  StatusTab = AddPage(PageControl1, "StatusTab", QStringLiteral("Status"), hint);
  GroupBox3 = PageFrame(StatusTab, "GroupBox3", 233, hint);
  for (auto [label, name, top] : {std::tuple{&Label3, "Label3", 16}, std::tuple{&Label4, "Label4", 36}}) {
    *label = new QLabel(GroupBox3);
    (*label)->setObjectName(QString::fromLatin1(name));
    // Sized to the frame's width, as wide as any status text the frame can show.
    (*label)->setGeometry(16, top, 233 - 16 - 2, (*label)->fontMetrics().height());
    (*label)->setToolTip(hint);
    (*label)->setTextFormat(Qt::PlainText);
  }
}

void TIDForm::OnClick(QPushButton* button, void (TIDForm::*handler)()) {
  connect(button, &QPushButton::clicked, this, [this, handler] {
    HandlerScope scope(*this);
    (this->*handler)();
  });
}

void TIDForm::ShowModal() {
  setWindowModality(Qt::ApplicationModal);
  show();
  QEventLoop loop;
  modalLoop_ = &loop;
  loop.exec(QEventLoop::DialogExec);
  modalLoop_ = nullptr;
}

void TIDForm::FormCreate() {
  Session().SetNetFileDir(folders_.data.string());
  Label3->clear();
  Label4->clear();
  PageControl1->setCurrentWidget(GroupNameTab);
  IDGroupTable.Open();
  TrailerFieldName = kTrailerIdField;
  VehicleFieldName = kVehicleIdField;
}

void TIDForm::closeEvent(QCloseEvent* event) {
  if (HandlerRunning()) {
    closePending_ = true;
    event->ignore();
    return;
  }
  event->accept();
  FormClose();
}

void TIDForm::FormClose() {
  deleteLater();
  if (startWindow_ != nullptr) startWindow_->show();
  if (modalLoop_ != nullptr) modalLoop_->quit();
}

void TIDForm::HandlerFinished() {
  --runningHandlers_;
  if (runningHandlers_ == 0 && closePending_) {
    closePending_ = false;
    close();
  }
}

void TIDForm::ExitButtonClick() {
  if (link_.Cancellable()) {
    link_.Cancel();
    return;
  }
  close();
}

void TIDForm::EnableTimer2() {
  if (!Timer2.isActive()) Timer2.start();
}

void TIDForm::Timer2Timer() {
  const bool companyNameDone = link_.LastEnd() == SessionEnd::Succeeded && lastTransfer_ == TransferKind::CompanyName;
  PageControl1->setCurrentWidget(companyNameDone ? CompanyIDTab : GroupNameTab);
  Timer2.stop();
}

}  // namespace orvel
