// tessarine-make-docs: writes the documents installed beside the program at build time:
// the manual as PDF (Markdown laid out by QTextDocument, printed by QPdfWriter), the icon,
// and the FreeImage licence text taken from the library's Debian copyright file.
//
// Usage: tessarine-make-docs <manual.md> <TessarinePro.pdf> <icon.png> <copyright> <license-fi.txt>

#include <QFile>
#include <QGuiApplication>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QPixmap>
#include <QSvgGenerator>
#include <QTextDocument>
#include <QTextStream>
#include <cstdio>

#include "core/WindowTitle.h"
#include "gui/ProgramIcon.h"

namespace {

bool WriteManual(const QString& markdownFile, const QString& pdfFile) {
  QFile in(markdownFile);
  if (!in.open(QIODevice::ReadOnly | QIODevice::Text)) return false;
  const QString markdown = QString::fromUtf8(in.readAll());

  QPdfWriter pdf(pdfFile);
  pdf.setTitle(QStringLiteral("Tessarine PRO %1 - User manual")
                   .arg(QLatin1String(tessarine::kVersionText.data(), tessarine::kVersionText.size())));
  pdf.setCreator(QStringLiteral("Tessarine PRO"));
  pdf.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(18, 18, 18, 18),
                                QPageLayout::Millimeter));
  pdf.setResolution(300);

  QTextDocument document;
  QFont font(QStringLiteral("DejaVu Sans"));
  font.setPointSizeF(10);
  document.setDefaultFont(font);
  document.setDefaultStyleSheet(QStringLiteral("code { font-family: 'DejaVu Sans Mono'; }"));
  document.setMarkdown(markdown);
  document.print(&pdf);
  return QFile::exists(pdfFile);
}

// The paragraph "License: FIPL-1.0" of a machine-readable Debian copyright file: its lines
// are indented by one blank, and a lone "." stands for an empty line.
bool WriteFreeImageLicense(const QString& copyrightFile, const QString& licenseFile) {
  QFile in(copyrightFile);
  if (!in.open(QIODevice::ReadOnly | QIODevice::Text)) return false;
  QTextStream lines(&in);
  QString text;
  bool inside = false;
  while (!lines.atEnd()) {
    const QString line = lines.readLine();
    if (!inside) {
      inside = line.startsWith(QStringLiteral("License: FIPL"));
      continue;
    }
    if (!line.startsWith(QLatin1Char(' '))) break;
    const QString content = line.mid(1);
    text += (content == QStringLiteral(".") ? QString() : content) + QLatin1Char('\n');
  }
  if (text.isEmpty()) return false;
  QFile out(licenseFile);
  if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Text)) return false;
  out.write(text.toUtf8());
  return true;
}

// The icon as SVG, from the same drawing as the window's.
bool WriteScalableIcon(const QString& file) {
  constexpr int kSide = 256;
  QSvgGenerator svg;
  svg.setFileName(file);
  svg.setSize(QSize(kSide, kSide));
  svg.setViewBox(QRect(0, 0, kSide, kSide));
  svg.setTitle(QStringLiteral("Tessarine PRO"));
  QPainter painter;
  if (!painter.begin(&svg)) return false;
  tessarine::PaintProgramIcon(painter, kSide);
  return painter.end();
}

}  // namespace

int main(int argc, char* argv[]) {
  QGuiApplication application(argc, argv);
  if (argc != 7) {
    std::fprintf(stderr, "usage: tessarine-make-docs MANUAL.md OUT.pdf ICON.png ICON.svg COPYRIGHT LICENSE.txt\n");
    return 2;
  }
  const QStringList args = QGuiApplication::arguments();
  if (!WriteManual(args[1], args[2])) {
    std::fprintf(stderr, "tessarine-make-docs: cannot write the manual\n");
    return 1;
  }
  if (!tessarine::DrawProgramIcon(256).save(args[3], "PNG") || !WriteScalableIcon(args[4])) {
    std::fprintf(stderr, "tessarine-make-docs: cannot write the icon\n");
    return 1;
  }
  if (!WriteFreeImageLicense(args[5], args[6])) {
    std::fprintf(stderr, "tessarine-make-docs: no FreeImage licence in %s\n", qPrintable(args[5]));
    return 1;
  }
  return 0;
}
