#pragma once
// A label that reads as a link and reports clicks; its text() stays the plain caption,
// so the window and the tests see exactly the words the user sees. Tab reaches it like a button,
// and Enter or Space then acts as a click.

#include <QLabel>

namespace tessarine {

class LinkLabel : public QLabel {
  Q_OBJECT
 public:
  explicit LinkLabel(const QString& caption, QWidget* parent = nullptr);

 signals:
  void clicked();

 protected:
  void mouseReleaseEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
};

}  // namespace tessarine
