#include "gui/WindowPlacement.h"

#include <algorithm>

namespace tessarine {

QRect PlaceOnScreen(const std::optional<WindowPlace>& stored, QSize defaultSize, const QRect& available) {
  const QSize wanted = stored ? QSize(stored->width, stored->height) : defaultSize;
  const QSize size = wanted.boundedTo(available.size()).expandedTo(QSize(1, 1));
  if (!stored) {
    QRect centred(QPoint(0, 0), size);
    centred.moveCenter(available.center());
    return centred;
  }
  const int left = std::clamp(stored->left, available.left(), available.right() - size.width() + 1);
  const int top = std::clamp(stored->top, available.top(), available.bottom() - size.height() + 1);
  return {QPoint(left, top), size};
}

}  // namespace tessarine
