#include "gui/LinkLabel.h"

#include <QMouseEvent>

namespace tessarine {

LinkLabel::LinkLabel(const QString& caption, QWidget* parent) : QLabel(caption, parent) {
  setCursor(Qt::PointingHandCursor);
  setStyleSheet(QStringLiteral("QLabel { color: #1a55c4; text-decoration: underline; }"
                               "QLabel:disabled { color: gray; }"));
  setSizePolicy(QSizePolicy::Maximum, QSizePolicy::Preferred);
}

void LinkLabel::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()) && isEnabled()) {
    emit clicked();
  }
  QLabel::mouseReleaseEvent(event);
}

}  // namespace tessarine
