// The scalable icon a desktop shows in its menus (data/tessarine-pro.svg) is the icon the window
// draws (DrawProgramIcon): both rendered at the same size, each 8x8 block of pixels averages to
// the same colour.

#include <QPainter>
#include <QSvgRenderer>
#include <QtTest>

#include "gui/ProgramIcon.h"

class ProgramIconTest : public QObject {
  Q_OBJECT

 private slots:
  void theScalableIconIsTheDrawnOne() {
    constexpr int kSize = 128;
    constexpr int kBlock = 8;
    QSvgRenderer renderer(QStringLiteral(TESSARINE_SOURCE_DIR "/data/tessarine-pro.svg"));
    QVERIFY(renderer.isValid());
    QImage scalable(kSize, kSize, QImage::Format_ARGB32);
    scalable.fill(Qt::transparent);
    QPainter painter(&scalable);
    painter.setRenderHint(QPainter::Antialiasing);
    renderer.render(&painter, QRectF(0, 0, kSize, kSize));
    painter.end();
    const QImage drawn = tessarine::DrawProgramIcon(kSize).toImage().convertToFormat(QImage::Format_ARGB32);
    QCOMPARE(drawn.size(), scalable.size());

    // Anti-aliased edges differ by a few levels; a shape or colour of its own would by far more.
    for (int by = 0; by < kSize; by += kBlock) {
      for (int bx = 0; bx < kSize; bx += kBlock) {
        int difference[4] = {};  // blue, green, red, alpha
        for (int y = by; y < by + kBlock; ++y) {
          for (int x = bx; x < bx + kBlock; ++x) {
            const QRgb a = drawn.pixel(x, y);
            const QRgb b = scalable.pixel(x, y);
            for (int c = 0; c < 4; ++c) difference[c] += int((a >> (8 * c)) & 0xFF) - int((b >> (8 * c)) & 0xFF);
          }
        }
        for (int d : difference) {
          QVERIFY2(std::abs(d) < 12 * kBlock * kBlock, qPrintable(QStringLiteral("block at %1,%2").arg(bx).arg(by)));
        }
      }
    }
  }
};

QTEST_MAIN(ProgramIconTest)
#include "ProgramIconTest.moc"
