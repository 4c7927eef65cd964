#pragma once
// lblStatus: a label of at most two lines whose text never widens the window. A text longer than
// the lines hold (a completed connect string, a driver's message) is wrapped, then cut with an
// ellipsis; the whole text is then the label's tooltip, and text() always gives it whole.

#include <QLabel>
#include <QStringList>

namespace tessarine {

class StatusLine : public QLabel {
  Q_OBJECT
 public:
  static constexpr int kLines = 2;

  explicit StatusLine(QWidget* parent = nullptr);

  // The way to change the text: the tooltip follows it.
  void SetText(const QString& text);

  // The lines drawn at the label's present width.
  QStringList ShownLines() const;
  // Whether the drawn lines leave part of the text out.
  bool IsCut() const;

  QSize sizeHint() const override;
  QSize minimumSizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  // The lines for the text and width, and whether they are cut; the tooltip follows.
  QStringList Lay(bool* cut) const;
  void UpdateToolTip();
};

// Wraps text into at most maxLines lines of the given width (at blanks where it can, anywhere
// else), keeping its own line breaks (CR LF or LF); the last line is cut with an ellipsis when
// text remains. *cut tells whether anything was left out.
QStringList FitLines(const QString& text, const QFont& font, int width, int maxLines, bool* cut);

}  // namespace tessarine
