#include "app/Identities.h"

#include <QFont>
#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTextEdit>
#include <utility>

#include "app/IntroPicture.h"
#include "app/WS_IDS.h"
#include "store/EnsureIdStore.h"
#include "store/StoreFolders.h"
#include "store/StoreSchema.h"

namespace orvel {
namespace {

QFont Verdana(bool bold) {
  QFont font(QStringLiteral("Verdana"), 8);
  font.setBold(bold);
  return font;
}

}  // namespace

TIntroForm::TIntroForm(std::filesystem::path topLevelFolder, PortDeviceMap devices, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                          Qt::WindowCloseButtonHint),
      topLevelFolder_(std::move(topLevelFolder)),
      devices_(std::move(devices)) {
  setObjectName("IntroForm");
  IDGroupTable.DeclareField(kGroupNameField, kGroupNameWidth);
  IDGroupTable.DeclareField(kIdListNameField, kIdListNameWidth);
  BuildControls();
  FormCreate();
}

void TIntroForm::BuildControls() {
  setWindowTitle(QStringLiteral("Orvel IDs"));
  setFont(Verdana(false));
  setFixedSize(313, 306);
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    move(screen->availableGeometry().center() - rect().center());
  }

  Image1 = new QLabel(this);
  Image1->setObjectName("Image1");
  Image1->setGeometry(8, 8, 297, 217);
  Image1->setPixmap(DrawIntroPicture(297, 217));

  Panel2 = new QLabel(QStringLiteral("Orvel IDs  1.0.4"), this);
  Panel2->setObjectName("Panel2");
  Panel2->setGeometry(-1, 232, 314, 25);
  Panel2->setFrameStyle(QFrame::WinPanel | QFrame::Raised);
  Panel2->setAlignment(Qt::AlignCenter);
  Panel2->setFont(Verdana(true));

  Panel1 = new QWidget(this);
  Panel1->setObjectName("Panel1");
  Panel1->setGeometry(-1, 264, 314, 41);

  StartButton = new QPushButton(QStringLiteral("Start"), Panel1);
  StartButton->setObjectName("StartButton");
  StartButton->setGeometry(47, 7, 75, 25);
  connect(StartButton, &QPushButton::clicked, this, &TIntroForm::StartButtonClick);

  ExitButton = new QPushButton(QStringLiteral("Exit"), Panel1);
  ExitButton->setObjectName("ExitButton");
  ExitButton->setGeometry(191, 7, 75, 25);
  connect(ExitButton, &QPushButton::clicked, this, &TIntroForm::ExitButtonClick);

  NoFilesMemo = new QTextEdit(Panel1);
  NoFilesMemo->setObjectName("NoFilesMemo");
  NoFilesMemo->setGeometry(40, 5, 105, 29);
  NoFilesMemo->setReadOnly(true);
  NoFilesMemo->setFrameStyle(QFrame::NoFrame);
  NoFilesMemo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  NoFilesMemo->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  NoFilesMemo->viewport()->setAutoFillBackground(false);
  NoFilesMemo->setFont(Verdana(true));
  QPalette notice = NoFilesMemo->palette();
  notice.setColor(QPalette::Text, QColor(198, 0, 0));
  notice.setColor(QPalette::Base, notice.color(QPalette::Button));
  NoFilesMemo->setPalette(notice);
  NoFilesMemo->document()->setDocumentMargin(0);
  NoFilesMemo->setPlainText(QStringLiteral("Can't create\nprogram files"));
  NoFilesMemo->setAlignment(Qt::AlignCenter);
  NoFilesMemo->hide();

  setTabOrder(StartButton, ExitButton);
  setTabOrder(ExitButton, NoFilesMemo);
}

void TIntroForm::FormCreate() {
  const bool usable = EnsureIdStore(topLevelFolder_, IDGroupTable, storeLock_);
  StartButton->setEnabled(usable);
  StartButton->setVisible(StartButton->isEnabled());
  NoFilesMemo->setVisible(StartButton->isHidden());
}

void TIntroForm::StartButtonClick() {
  IDForm = new TIDForm(StoreFoldersUnder(topLevelFolder_), this, devices_);
  hide();
  IDForm->ShowModal();
}

void TIntroForm::ExitButtonClick() { close(); }

}  // namespace orvel
