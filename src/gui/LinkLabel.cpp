#include "gui/LinkLabel.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QStyleOptionFocusRect>
#include <QStylePainter>

namespace tessarine {

LinkLabel::LinkLabel(const QString& caption, QWidget* parent) : QLabel(caption, parent) {
  setCursor(Qt::PointingHandCursor);
  setStyleSheet(QStringLiteral("QLabel { color: #1a55c4; text-decoration: underline; }"
                               "QLabel:disabled { color: gray; }"));
  setSizePolicy(QSizePolicy::Maximum, QSizePolicy::Preferred);
  setFocusPolicy(Qt::StrongFocus);
}

void LinkLabel::keyPressEvent(QKeyEvent* event) {
  const int key = event->key();
  if ((key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Space) && event->modifiers() == Qt::NoModifier) {
    if (isEnabled()) emit clicked();
    event->accept();
    return;
  }
  QLabel::keyPressEvent(event);
}

void LinkLabel::paintEvent(QPaintEvent* event) {
  QLabel::paintEvent(event);
  if (!hasFocus()) return;
  // The focus shows as the style's own focus frame, as on a button.
  QStylePainter painter(this);
  QStyleOptionFocusRect option;
  option.initFrom(this);
  option.backgroundColor = palette().color(backgroundRole());
  painter.drawPrimitive(QStyle::PE_FrameFocusRect, option);
}

void LinkLabel::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()) && isEnabled()) {
    emit clicked();
  }
  QLabel::mouseReleaseEvent(event);
}

}  // namespace tessarine
