// Small screens: the window and every dialog fit 1024x768 whatever the status line says, with
// every button and box inside; the window reopens where it closed, always on the screen; a status
// text too long for its line is cut with an ellipsis and shown whole in its tooltip.

#include "gui/AboutDialog.h"
#include "gui/DisplaySqlDialog.h"
#include "gui/StatusLine.h"
#include "gui/xmpcustom/DbFieldNameDialog.h"
#include "gui/xmpcustom/XmpCustomizedDialog.h"
#include "WindowFixture.h"

using tessarine::test::WindowFixture;

namespace {

// A 1024x768 screen less a panel and the window's title bar.
const QRect kScreen(0, 0, 1024, 768 - 64);

// A completed connect string of a DSN with a long file path: no blank to wrap at.
const QString kLongStatus = QStringLiteral("DSN=catalogue;DATABASE=/srv/archives/") + QString(300, QLatin1Char('x')) +
                            QStringLiteral("/catalogue.sqlite;UID=archivist;PWD=***;Timeout=100000;StepAPI=0");

// The widget opens within the screen and can shrink to it; at the screen's size, every visible
// button and box of the program's own (a toolkit's inner parts have no names) lies wholly inside.
void ExpectFits(QWidget& widget) {
  const QSize least = widget.minimumSizeHint().expandedTo(widget.minimumSize());
  for (const QSize size : {widget.size(), least}) {
    QVERIFY2(kScreen.size().expandedTo(size) == kScreen.size(),
             qPrintable(QStringLiteral("%1: %2x%3").arg(widget.objectName()).arg(size.width()).arg(size.height())));
  }
  widget.resize(kScreen.size());
  widget.show();
  QVERIFY(QTest::qWaitForWindowExposed(&widget));
  QCOMPARE(widget.size(), kScreen.size());
  for (QWidget* control : widget.findChildren<QWidget*>()) {
    if (!control->isVisibleTo(&widget) || control->objectName().isEmpty()) continue;
    if (!qobject_cast<QAbstractButton*>(control) && !qobject_cast<QLineEdit*>(control)) continue;
    const QRect place(control->mapTo(&widget, QPoint(0, 0)), control->size());
    QVERIFY2(widget.rect().contains(place), qPrintable(control->objectName() + QStringLiteral(" of ") +
                                                       widget.objectName()));
  }
}

QRect Place(const QWidget& widget) { return QRect(widget.pos(), widget.size()); }

}  // namespace

class WindowFitTest : public QObject {
  Q_OBJECT

 private slots:
  void theWindowFitsOnEveryTabWithALongStatusAndSoDoesEveryDialog() {
    WindowFixture f;
    f.window->PlaceOnScreen(kScreen);
    for (int tab = 1; tab <= tessarine::TessarineProWindow::kTabCount; ++tab) {
      f.ClickTab(tab);
      f.window->WindowPort().SetStatus(kLongStatus.toStdString());
      ExpectFits(*f.window);
    }
    for (int sub = 0; sub < 3; ++sub) {
      f.Find<QTabBar>("TabStripVerify")->setCurrentIndex(sub);
      ExpectFits(*f.window);
    }
    // And every dialog.
    tessarine::XmpCustomizedDialog editor(tessarine::CustomXmpDefinition{});
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

  void theWindowReopensWhereItClosedAndAlwaysOnTheScreen() {
    WindowFixture f;
    QVERIFY(!f.window->PlaceOnScreen(kScreen));  // first start: a default size, centred
    QVERIFY(kScreen.contains(Place(*f.window)));
    QCOMPARE(Place(*f.window).center(), kScreen.center());
    f.window->resize(900, 650);
    f.window->move(40, 20);
    QVERIFY(f.window->close());
    f.ExpectSettings("Window", {{"Left", "40"}, {"Width", "900"}, {"Maximized", "0"}});
    WindowFixture again(tessarine::test::ReadFile(f.settingsFile).c_str());
    QVERIFY(!again.window->PlaceOnScreen(kScreen));
    QCOMPARE(Place(*again.window), QRect(40, 20, 900, 650));

    // Closed on a big screen: it opens inside the small one, shrunk to fit; maximized stays so.
    WindowFixture big("[Window]\nLeft=2400\nTop=1300\nWidth=1800\nHeight=1000\nMaximized=1\n");
    QVERIFY(big.window->PlaceOnScreen(kScreen));
    QCOMPARE(Place(*big.window), kScreen);
  }

  void aLongStatusIsCutAndShownWholeInItsTooltip() {
    WindowFixture f;
    auto* status = f.Find<tessarine::StatusLine>("lblStatus");
    f.window->resize(kScreen.size());
    QVERIFY(QTest::qWaitForWindowExposed(f.window.get()));
    f.window->WindowPort().SetStatus(kLongStatus.toStdString());
    QCOMPARE(status->text(), kLongStatus);
    QVERIFY(status->IsCut());
    QCOMPARE(status->toolTip(), kLongStatus);
    const QStringList lines = status->ShownLines();
    QVERIFY(!lines.isEmpty() && lines.size() <= tessarine::StatusLine::kLines);
    QVERIFY(lines.last().endsWith(QChar(0x2026)));
    for (const QString& line : lines) {
      QVERIFY(status->fontMetrics().horizontalAdvance(line) <= status->contentsRect().width());
    }

    // A short text is shown as it is, with no tooltip; two short lines stay two lines.
    f.window->WindowPort().SetStatus("Connected\r\nResult: 1");
    QVERIFY(!status->IsCut());
    QCOMPARE(status->toolTip(), QString());
    QCOMPARE(status->ShownLines(), QStringList({QStringLiteral("Connected"), QStringLiteral("Result: 1")}));
  }
};

QTEST_MAIN(WindowFitTest)
#include "WindowFitTest.moc"
