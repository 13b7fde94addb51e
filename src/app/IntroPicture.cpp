#include "app/IntroPicture.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace orvel {
namespace {

void DrawWheel(QPainter& painter, QPointF centre, double radius) {
  painter.setPen(QPen(QColor(30, 30, 30), 1));
  painter.setBrush(QColor(40, 40, 40));
  painter.drawEllipse(centre, radius, radius);
  painter.setBrush(QColor(170, 170, 175));
  painter.drawEllipse(centre, radius * 0.5, radius * 0.5);
  painter.setBrush(QColor(200, 60, 40));
  painter.drawEllipse(centre, radius * 0.18, radius * 0.18);
}

void DrawRollerPair(QPainter& painter, double x, double groundY) {
  painter.setPen(Qt::NoPen);
  painter.setBrush(QColor(90, 95, 105));
  painter.drawRect(QRectF(x - 20, groundY - 4, 40, 10));
  painter.setBrush(QColor(230, 180, 30));
  painter.drawEllipse(QPointF(x - 9, groundY - 1), 6, 6);
  painter.drawEllipse(QPointF(x + 9, groundY - 1), 6, 6);
}

}  // namespace

QPixmap DrawIntroPicture(int width, int height) {
  QPixmap picture(width, height);
  picture.fill(Qt::transparent);
  QPainter painter(&picture);
  painter.setRenderHint(QPainter::Antialiasing);
  painter.scale(width / 297.0, height / 217.0);

  QPainterPath panel;
  panel.addRoundedRect(QRectF(2, 2, 293, 213), 14, 14);
  QLinearGradient sky(0, 0, 0, 217);
  sky.setColorAt(0, QColor(120, 170, 220));
  sky.setColorAt(0.7, QColor(215, 230, 245));
  painter.fillPath(panel, sky);
  painter.setClipPath(panel);

  const double groundY = 170;
  painter.fillRect(QRectF(0, groundY, 297, 217 - groundY), QColor(120, 122, 128));
  painter.fillRect(QRectF(0, groundY, 297, 4), QColor(80, 82, 88));

  // Trailer
  painter.setPen(QPen(QColor(40, 60, 90), 1.5));
  painter.setBrush(QColor(235, 238, 242));
  painter.drawRect(QRectF(18, 78, 160, 70));
  painter.setBrush(QColor(40, 60, 90));
  painter.drawRect(QRectF(18, 148, 165, 6));
  painter.setPen(QColor(40, 60, 90));
  painter.setFont(QFont(QStringLiteral("Verdana"), 14, QFont::Bold));
  painter.drawText(QRectF(18, 90, 160, 40), Qt::AlignCenter, QStringLiteral("ID"));

  // Tractor unit
  painter.setPen(QPen(QColor(60, 20, 20), 1.5));
  painter.setBrush(QColor(198, 30, 30));
  QPainterPath cab;
  cab.moveTo(190, 154);
  cab.lineTo(190, 92);
  cab.lineTo(250, 92);
  cab.lineTo(268, 118);
  cab.lineTo(272, 154);
  cab.closeSubpath();
  painter.drawPath(cab);
  painter.setBrush(QColor(180, 215, 240));
  painter.drawRect(QRectF(232, 99, 22, 20));
  painter.setBrush(QColor(60, 60, 60));
  painter.drawRect(QRectF(176, 146, 100, 8));

  DrawRollerPair(painter, 60, groundY);
  DrawRollerPair(painter, 245, groundY);
  for (double x : {45.0, 75.0}) DrawWheel(painter, QPointF(x, 158), 12);
  for (double x : {205.0, 245.0}) DrawWheel(painter, QPointF(x, 158), 12);

  painter.setClipping(false);
  painter.setPen(QPen(QColor(40, 60, 90), 2));
  painter.setBrush(Qt::NoBrush);
  painter.drawPath(panel);
  return picture;
}

}  // namespace orvel
