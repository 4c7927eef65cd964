#include "gui/StatusLine.h"

#include <QFontMetrics>
#include <QPainter>
#include <QStyle>
#include <QTextLayout>

namespace tessarine {

QStringList FitLines(const QString& text, const QFont& font, int width, int maxLines, bool* cut) {
  *cut = false;
  QStringList lines;
  const QFontMetrics metrics(font);
  QString plain = text;
  plain.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  const QStringList paragraphs = plain.split(QLatin1Char('\n'));
  for (int p = 0; p < paragraphs.size(); ++p) {
    const QString& paragraph = paragraphs[p];
    QTextLayout layout(paragraph, font);
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    layout.setTextOption(option);
    layout.beginLayout();
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
      line.setLineWidth(width);
      const QString piece = paragraph.mid(line.textStart(), line.textLength());
      if (lines.size() == maxLines - 1) {
        // The last line holds the rest of the text, cut if it does not fit.
        QString rest = paragraph.mid(line.textStart());
        const bool more = p + 1 < paragraphs.size();
        if (more) rest += QLatin1Char(' ') + paragraphs.mid(p + 1).join(QLatin1Char(' '));
        QString shown = metrics.elidedText(rest, Qt::ElideRight, width);
        if (more && shown == rest) {
          // Everything fits on the line, but a line break was given up for it.
          shown = metrics.elidedText(rest + QChar(0x2026), Qt::ElideRight, width);
        }
        *cut = shown != rest;
        lines.append(shown);
        layout.endLayout();
        return lines;
      }
      lines.append(piece.trimmed().isEmpty() ? piece : piece.endsWith(QLatin1Char(' ')) ? piece.chopped(1) : piece);
    }
    layout.endLayout();
    if (paragraph.isEmpty()) lines.append(QString());
  }
  return lines;
}

StatusLine::StatusLine(QWidget* parent) : QLabel(parent) {
  setTextFormat(Qt::PlainText);
  setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
  setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
}

QStringList StatusLine::Lay(bool* cut) const {
  return FitLines(text(), font(), std::max(1, contentsRect().width()), kLines, cut);
}

QStringList StatusLine::ShownLines() const {
  bool cut = false;
  return Lay(&cut);
}

bool StatusLine::IsCut() const {
  bool cut = false;
  Lay(&cut);
  return cut;
}

QSize StatusLine::sizeHint() const { return minimumSizeHint(); }

QSize StatusLine::minimumSizeHint() const {
  const QMargins margins = contentsMargins();
  return {fontMetrics().averageCharWidth() * 10 + margins.left() + margins.right(),
          fontMetrics().lineSpacing() * kLines + margins.top() + margins.bottom() + 4};
}

void StatusLine::UpdateToolTip() {
  bool cut = false;
  Lay(&cut);
  const QString tip = cut ? text() : QString();
  if (toolTip() != tip) setToolTip(tip);
}

void StatusLine::SetText(const QString& text) {
  setText(text);
  UpdateToolTip();
}

void StatusLine::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  drawFrame(&painter);
  bool cut = false;
  const QStringList lines = Lay(&cut);
  const QRect area = contentsRect();
  const int lineSpacing = fontMetrics().lineSpacing();
  int top = area.top() + (area.height() - lineSpacing * static_cast<int>(lines.size())) / 2;
  painter.setPen(palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, foregroundRole()));
  for (const QString& line : lines) {
    painter.drawText(QRect(area.left(), top, area.width(), lineSpacing), Qt::AlignLeft | Qt::AlignVCenter, line);
    top += lineSpacing;
  }
}

void StatusLine::resizeEvent(QResizeEvent* event) {
  QLabel::resizeEvent(event);
  UpdateToolTip();
}

}  // namespace tessarine
