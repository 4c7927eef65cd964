// The scalable icon a desktop shows in its menus (data/tessarine-pro.svg) is the icon the window
// draws (DrawProgramIcon): both rendered at the same size, each 8x8 block of pixels averages to
// the same colour.

#include <QImage>
#include <QPainter>
#include <QPixmap>
#include <QSvgRenderer>
#include <QtTest>

#include "gui/ProgramIcon.h"

namespace {

constexpr int kSize = 128;
constexpr int kBlock = 8;

// The mean of each channel (alpha included) over each block.
std::vector<std::array<double, 4>> BlockMeans(const QImage& image) {
  std::vector<std::array<double, 4>> means;
  for (int by = 0; by < kSize; by += kBlock) {
    for (int bx = 0; bx < kSize; bx += kBlock) {
      std::array<double, 4> sum{};
      for (int y = by; y < by + kBlock; ++y) {
        for (int x = bx; x < bx + kBlock; ++x) {
          const QColor c = image.pixelColor(x, y);
          sum[0] += c.red();
          sum[1] += c.green();
          sum[2] += c.blue();
          sum[3] += c.alpha();
        }
      }
      for (double& s : sum) s /= kBlock * kBlock;
      means.push_back(sum);
    }
  }
  return means;
}

class ProgramIconTest : public QObject {
  Q_OBJECT

 private slots:
  void theScalableIconIsTheDrawnOne() {
    const QString svg = QStringLiteral(TESSARINE_SOURCE_DIR "/data/tessarine-pro.svg");
    QSvgRenderer renderer(svg);
    QVERIFY2(renderer.isValid(), qPrintable(svg));
    QImage scalable(kSize, kSize, QImage::Format_ARGB32);
    scalable.fill(Qt::transparent);
    {
      QPainter painter(&scalable);
      painter.setRenderHint(QPainter::Antialiasing);
      renderer.render(&painter, QRectF(0, 0, kSize, kSize));
    }
    const QImage drawn = tessarine::DrawProgramIcon(kSize).toImage().convertToFormat(QImage::Format_ARGB32);
    QCOMPARE(drawn.size(), scalable.size());

    const auto a = BlockMeans(drawn);
    const auto b = BlockMeans(scalable);
    double worst = 0;
    int worstBlock = 0;
    for (std::size_t i = 0; i < a.size(); ++i) {
      for (int c = 0; c < 4; ++c) {
        if (std::abs(a[i][c] - b[i][c]) > worst) {
          worst = std::abs(a[i][c] - b[i][c]);
          worstBlock = static_cast<int>(i);
        }
      }
    }
    // Anti-aliased edges differ by a few levels; a shape or colour of its own would by far more.
    QVERIFY2(worst < 12, qPrintable(QStringLiteral("block %1,%2 differs by %3")
                                        .arg(worstBlock % (kSize / kBlock))
                                        .arg(worstBlock / (kSize / kBlock))
                                        .arg(worst)));
  }
};

}  // namespace

QTEST_MAIN(ProgramIconTest)
#include "ProgramIconTest.moc"
