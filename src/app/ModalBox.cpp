#include "app/ModalBox.h"

#include <QApplication>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QTextLayout>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

namespace orvel {
namespace {

const std::vector<std::pair<BoxResult, const char*>>& ButtonOrder() {
  static const std::vector<std::pair<BoxResult, const char*>> order = {
      {BoxResult::Yes, "&Yes"}, {BoxResult::No, "&No"}, {BoxResult::Ok, "OK"}, {BoxResult::Cancel, "Cancel"}};
  return order;
}

bool Contains(const std::vector<BoxResult>& results, BoxResult result) {
  return std::find(results.begin(), results.end(), result) != results.end();
}

// The box's message, word-wrapped to at most maxWidth like a label, except that a word
// longer than a line (a long name without blanks) is broken where the line ends instead
// of being cut off at the edge.
class BoxText : public QLabel {
 public:
  BoxText(const QString& text, int maxWidth, QWidget* parent) : QLabel(text, parent) {
    setObjectName("BoxText");
    setTextFormat(Qt::PlainText);
    const int width = std::clamp(fontMetrics().horizontalAdvance(text) + 2, 1, maxWidth);
    QTextLayout layout;
    setFixedSize(width, static_cast<int>(std::ceil(LayOut(layout, width))));
  }

 protected:
  void paintEvent(QPaintEvent*) override {
    QTextLayout layout;
    LayOut(layout, width());
    QPainter painter(this);
    painter.setPen(palette().color(foregroundRole()));
    layout.draw(&painter, QPointF(0, 0));
  }

 private:
  // Breaks the text into lines of this width; returns the height they take.
  qreal LayOut(QTextLayout& layout, int width) const {
    QString shown = text();
    shown.replace(QLatin1Char('\n'), QChar::LineSeparator);
    layout.setText(shown);
    layout.setFont(font());
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    qreal height = 0;
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
      line.setLineWidth(width);
      line.setPosition(QPointF(0, height));
      height += line.height();
    }
    layout.endLayout();
    return height;
  }
};

}  // namespace

ModalBox::ModalBox(const QString& title, QStyle::StandardPixmap icon, const QString& text,
                   std::vector<BoxResult> results, QWidget* parent)
    : QDialog(parent) {
  setWindowTitle(title);
  setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
  setModal(true);

  auto* iconLabel = new QLabel(this);
  const int iconSize = style()->pixelMetric(QStyle::PM_MessageBoxIconSize, nullptr, this);
  iconLabel->setPixmap(style()->standardIcon(icon, nullptr, this).pixmap(iconSize, iconSize));
  iconLabel->setAlignment(Qt::AlignTop);

  const QScreen* screen = QGuiApplication::primaryScreen();
  const int halfScreen = screen ? screen->availableGeometry().width() / 2 : 640;
  auto* textLabel = new BoxText(text, halfScreen, this);

  auto* textRow = new QHBoxLayout;
  textRow->addWidget(iconLabel);
  textRow->addSpacing(8);
  textRow->addWidget(textLabel, 1);

  auto* buttonRow = new QHBoxLayout;
  buttonRow->addStretch();
  for (const auto& [result, caption] : ButtonOrder()) {
    if (!Contains(results, result)) continue;
    auto* button = new QPushButton(QString::fromLatin1(caption), this);
    buttons_.emplace_back(result, button);
    buttonRow->addWidget(button);
    connect(button, &QPushButton::clicked, this, [this, result = result] { done(static_cast<int>(result)); });
  }
  buttonRow->addStretch();

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(textRow);
  layout->addSpacing(6);
  layout->addLayout(buttonRow);
  layout->setSizeConstraint(QLayout::SetFixedSize);

  QPushButton* defaultButton = ButtonFor(DefaultResult());
  defaultButton->setDefault(true);
  defaultButton->setFocus();
}

QPushButton* ModalBox::ButtonFor(BoxResult result) const {
  for (const auto& [candidate, button] : buttons_) {
    if (candidate == result) return button;
  }
  return nullptr;
}

BoxResult ModalBox::DefaultResult() const { return ButtonFor(BoxResult::Ok) ? BoxResult::Ok : buttons_.front().first; }

BoxResult ModalBox::CancelResult() const {
  for (BoxResult result : {BoxResult::Cancel, BoxResult::No, BoxResult::Ok}) {
    if (ButtonFor(result)) return result;
  }
  return BoxResult::Cancel;
}

void ModalBox::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
    done(static_cast<int>(CancelResult()));
    return;
  }
  QDialog::keyPressEvent(event);
}

void ModalBox::Centre() {
  adjustSize();
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    move(screen->availableGeometry().center() - rect().center());
  }
}

void ModalBox::ShowCentred() {
  Centre();
  show();
}

BoxResult ModalBox::Run() {
  Centre();
  const int result = exec();
  return result == 0 ? BoxResult::Cancel : static_cast<BoxResult>(result);
}

}  // namespace orvel
