#include "gui/ProgramIcon.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace tessarine {

QPixmap DrawProgramIcon(int size) {
  QPixmap icon(size, size);
  icon.fill(Qt::transparent);
  QPainter painter(&icon);
  PaintProgramIcon(painter, size);
  return icon;
}

void PaintProgramIcon(QPainter& painter, int size) {
  painter.setRenderHint(QPainter::Antialiasing);
  const qreal s = size;

  // A rounded tile in deep blue ...
  QLinearGradient background(0, 0, 0, s);
  background.setColorAt(0, QColor(0x24, 0x5d, 0xb8));
  background.setColorAt(1, QColor(0x12, 0x33, 0x6e));
  QPainterPath tile;
  tile.addRoundedRect(QRectF(s * 0.04, s * 0.04, s * 0.92, s * 0.92), s * 0.18, s * 0.18);
  painter.fillPath(tile, background);

  // ... holding a mosaic of four small pictures, one of them a landscape: a catalogue of images.
  const QColor tiles[] = {QColor(0xf2, 0xb7, 0x05), QColor(0xe8, 0xee, 0xf6), QColor(0xe8, 0xee, 0xf6),
                          QColor(0x4c, 0xc2, 0x8a)};
  const qreal cell = s * 0.30;
  const qreal gap = s * 0.06;
  const qreal origin = (s - 2 * cell - gap) / 2;
  for (int i = 0; i < 4; ++i) {
    const QRectF r(origin + (i % 2) * (cell + gap), origin + (i / 2) * (cell + gap), cell, cell);
    QPainterPath square;
    square.addRoundedRect(r, s * 0.04, s * 0.04);
    painter.fillPath(square, tiles[i]);
  }
  const QRectF picture(origin + cell + gap, origin, cell, cell);
  QPainterPath hill;
  hill.moveTo(picture.left(), picture.bottom());
  hill.lineTo(picture.left() + cell * 0.4, picture.top() + cell * 0.45);
  hill.lineTo(picture.left() + cell * 0.65, picture.top() + cell * 0.7);
  hill.lineTo(picture.right(), picture.top() + cell * 0.35);
  hill.lineTo(picture.right(), picture.bottom());
  hill.closeSubpath();
  painter.setClipRect(picture);
  painter.fillPath(hill, QColor(0x24, 0x5d, 0xb8));
  painter.setClipping(false);
  painter.setPen(Qt::NoPen);
  painter.setBrush(QColor(0xf2, 0xb7, 0x05));
  painter.drawEllipse(QPointF(picture.left() + cell * 0.28, picture.top() + cell * 0.28), cell * 0.11, cell * 0.11);
}

}  // namespace tessarine
