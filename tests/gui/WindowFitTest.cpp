// Small screens: the window and every dialog fit 1024x768 whatever the status line says, with
// every button inside; a status text too long for its line is cut with an ellipsis and shown
// whole in its tooltip.

#include <QAbstractButton>
#include <QLineEdit>
#include <QScreen>

#include "WindowFixture.h"
#include "gui/AboutDialog.h"
#include "gui/DisplaySqlDialog.h"
#include "gui/StatusLine.h"
#include "gui/xmpcustom/DbFieldNameDialog.h"
#include "gui/xmpcustom/XmpCustomizedDialog.h"

using tessarine::test::FindIn;

namespace {

// A 1024x768 screen less a panel and the window's title bar.
constexpr int kScreenWidth = 1024;
constexpr int kScreenHeight = 768 - 64;

// A completed connect string of a DSN with a long file path: no blank to wrap at.
QString LongStatus() {
  return QStringLiteral("DSN=catalogue;DATABASE=/srv/archives/") + QString(300, QLatin1Char('x')) +
         QStringLiteral("/catalogue.sqlite;UID=archivist;PWD=***;Timeout=100000;StepAPI=0;SyncPragma=NORMAL");
}

// The widget fits the screen, and once given the screen's size every visible button and box lies
// wholly inside it.
void ExpectFits(QWidget& widget) {
  // The size it opens with, then the least it can take.
  QVERIFY2(widget.width() <= kScreenWidth && widget.height() <= kScreenHeight,
           qPrintable(QStringLiteral("%1 opens at %2x%3").arg(widget.objectName()).arg(widget.width()).arg(widget.height())));
  const QSize least = widget.minimumSizeHint().expandedTo(widget.minimumSize());
  QVERIFY2(least.width() <= kScreenWidth && least.height() <= kScreenHeight,
           qPrintable(QStringLiteral("%1 needs %2x%3").arg(widget.objectName()).arg(least.width()).arg(least.height())));
  widget.resize(kScreenWidth, kScreenHeight);
  widget.show();
  QVERIFY(QTest::qWaitForWindowExposed(&widget));
  QCOMPARE(widget.size(), QSize(kScreenWidth, kScreenHeight));
  const auto controls = widget.findChildren<QWidget*>();
  for (QWidget* control : controls) {
    // The program's own controls (a toolkit's inner parts have no names).
    if (!control->isVisibleTo(&widget) || control->objectName().isEmpty()) continue;
    if (!qobject_cast<QAbstractButton*>(control) && !qobject_cast<QLineEdit*>(control)) continue;
    const QRect place(control->mapTo(&widget, QPoint(0, 0)), control->size());
    QVERIFY2(widget.rect().contains(place),
             qPrintable(QStringLiteral("%1 of %2 lies at %3,%4 %5x%6")
                            .arg(control->objectName(), widget.objectName())
                            .arg(place.x()).arg(place.y()).arg(place.width()).arg(place.height())));
  }
}

}  // namespace

class WindowFitTest : public QObject {
  Q_OBJECT

 private slots:
  void theWindowFitsOnEveryTabWithALongStatus() {
    tessarine::test::WindowFixture f;
    f.window->WindowPort().SetStatus(LongStatus().toStdString());
    f.window->PlaceOnScreen(QRect(0, 0, kScreenWidth, kScreenHeight));
    for (int tab = 1; tab <= tessarine::TessarineProWindow::kTabCount; ++tab) {
      f.ClickTab(tab);
      f.window->WindowPort().SetStatus(LongStatus().toStdString());
      ExpectFits(*f.window);
    }
    // And each panel of the last tab.
    for (int sub = 0; sub < 3; ++sub) {
      f.Find<QTabBar>("TabStripVerify")->setCurrentIndex(sub);
      ExpectFits(*f.window);
    }
  }

  void theWindowReopensWhereItClosedAndAlwaysOnTheScreen() {
    const QRect small(0, 0, kScreenWidth, kScreenHeight);
    {
      tessarine::test::WindowFixture f;
      QVERIFY(!f.window->PlaceOnScreen(small));  // first start: a default size, centred
      QVERIFY(small.contains(QRect(f.window->pos(), f.window->size())));
      QCOMPARE(QRect(f.window->pos(), f.window->size()).center(), small.center());
      f.window->resize(900, 650);
      f.window->move(40, 20);
      QVERIFY(f.window->close());
      QCOMPARE(f.Setting("Window", "Width"), std::string("900"));
      QCOMPARE(f.Setting("Window", "Left"), std::string("40"));
      QCOMPARE(f.Setting("Window", "Maximized"), std::string("0"));

      tessarine::test::WindowFixture again(f.SettingsText().c_str());
      QVERIFY(!again.window->PlaceOnScreen(small));
      QCOMPARE(QRect(again.window->pos(), again.window->size()), QRect(40, 20, 900, 650));
    }
    // Closed on a big screen: it opens inside the small one, shrunk to fit; maximized stays so.
    tessarine::test::WindowFixture big("[Window]\nLeft=2400\nTop=1300\nWidth=1800\nHeight=1000\nMaximized=1\n");
    QVERIFY(big.window->PlaceOnScreen(small));
    QCOMPARE(QRect(big.window->pos(), big.window->size()), small);
  }

  void everyDialogFits() {
    tessarine::CustomXmpDefinition definition;
    tessarine::XmpCustomizedDialog editor(definition);
    ExpectFits(editor);
    tessarine::AboutDialog about(QStringLiteral("/nowhere/license-fi.txt"), [](const QString&) { return true; });
    ExpectFits(about);
    QLineEdit rowColumn;
    tessarine::DbFieldNameDialog chooser({}, 0, true, &rowColumn);
    chooser.adjustSize();
    ExpectFits(chooser);
    tessarine::DisplaySqlDialog sql(QStringLiteral("Create images table"), QString(4000, QLatin1Char('x')));
    ExpectFits(sql);
  }

  void aLongStatusIsCutAndShownWholeInItsTooltip() {
    tessarine::test::WindowFixture f;
    auto* status = f.Find<tessarine::StatusLine>("lblStatus");
    f.window->resize(kScreenWidth, kScreenHeight);
    f.window->show();
    QVERIFY(QTest::qWaitForWindowExposed(f.window.get()));
    f.window->WindowPort().SetStatus(LongStatus().toStdString());
    QCOMPARE(status->text(), LongStatus());
    QVERIFY(status->IsCut());
    QCOMPARE(status->toolTip(), LongStatus());
    const QStringList lines = status->ShownLines();
    QVERIFY(!lines.isEmpty() && lines.size() <= 2);
    QVERIFY(lines.last().endsWith(QChar(0x2026)));
    for (const QString& line : lines) QVERIFY(status->fontMetrics().horizontalAdvance(line) <= status->contentsRect().width());

    // A short text is shown as it is, with no tooltip; two short lines stay two lines.
    f.window->WindowPort().SetStatus("Connected\r\nResult: 1");
    QVERIFY(!status->IsCut());
    QCOMPARE(status->toolTip(), QString());
    QCOMPARE(status->ShownLines(), QStringList({QStringLiteral("Connected"), QStringLiteral("Result: 1")}));
  }
};

QTEST_MAIN(WindowFitTest)
#include "WindowFitTest.moc"
