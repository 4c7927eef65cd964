#pragma once
// The small round bullet drawn beside a numbered step.

class QLabel;
class QWidget;

namespace tessarine {

QLabel* MakeBullet(QWidget* parent);

}  // namespace tessarine
