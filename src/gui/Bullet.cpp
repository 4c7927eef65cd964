#include "gui/Bullet.h"

#include <QLabel>
#include <QPainter>
#include <QPixmap>

namespace tessarine {

QLabel* MakeBullet(QWidget* parent) {
  QPixmap dot(10, 10);
  dot.fill(Qt::transparent);
  {
    QPainter painter(&dot);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0x1a, 0x55, 0xc4));
    painter.drawEllipse(1, 1, 8, 8);
  }
  auto* label = new QLabel(parent);
  label->setPixmap(dot);
  label->setFixedSize(14, 14);
  label->setAlignment(Qt::AlignCenter);
  return label;
}

}  // namespace tessarine
