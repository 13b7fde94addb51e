#include "app/InputBox.h"

#include <QDialog>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>

namespace orvel {
namespace {

// Dialog units scale the layout with the box's font: a horizontal unit is a quarter of
// the average character width, a vertical unit an eighth of the character height.
class DialogUnits {
 public:
  explicit DialogUnits(const QFontMetrics& metrics)
      : averageWidth_(
            metrics.horizontalAdvance(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz")) / 52.0),
        height_(metrics.height()) {}

  int X(int units) const { return static_cast<int>(units * averageWidth_ / 4.0 + 0.5); }
  int Y(int units) const { return static_cast<int>(units * height_ / 8.0 + 0.5); }

 private:
  double averageWidth_;
  double height_;
};

constexpr int kMaxTextLength = 255;

}  // namespace

QString PromptForText(const std::string& title, const std::string& prompt, const std::string& defaultText) {
  QDialog box;
  box.setWindowTitle(QString::fromLatin1(title));
  box.setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
  const DialogUnits units(box.fontMetrics());
  box.setFixedSize(units.X(180), units.Y(63));

  auto* promptLabel = new QLabel(QString::fromLatin1(prompt), &box);
  promptLabel->setTextFormat(Qt::PlainText);
  promptLabel->move(units.X(8), units.Y(8));
  promptLabel->adjustSize();

  auto* edit = new QLineEdit(&box);
  edit->setObjectName("PromptEdit");
  edit->setMaxLength(kMaxTextLength);
  edit->setText(QString::fromLatin1(defaultText));
  edit->selectAll();
  edit->setGeometry(units.X(8), units.Y(19), units.X(164), edit->sizeHint().height());

  auto* ok = new QPushButton(QStringLiteral("OK"), &box);
  ok->setGeometry(units.X(38), units.Y(41), units.X(50), units.Y(14));
  ok->setDefault(true);
  QObject::connect(ok, &QPushButton::clicked, &box, &QDialog::accept);

  auto* cancel = new QPushButton(QStringLiteral("Cancel"), &box);
  cancel->setGeometry(units.X(92), units.Y(41), units.X(50), units.Y(14));
  QObject::connect(cancel, &QPushButton::clicked, &box, &QDialog::reject);

  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    box.move(screen->availableGeometry().center() - box.rect().center());
  }
  edit->setFocus();
  if (box.exec() != QDialog::Accepted) return QString::fromLatin1(defaultText);
  return edit->text();
}

}  // namespace orvel
