// The window from the keyboard: the tab strip's arrows and the tab shortcuts switch pages as a
// click does, Tab reaches the links and leaves the text boxes, Enter follows a link.

#include <QApplication>

#include "WindowFixture.h"
#include "gui/LinkLabel.h"

namespace {

struct KeyWindow : tessarine::test::WindowFixture {
  KeyWindow() {
    QApplication::setActiveWindow(window.get());
    QVERIFY(QTest::qWaitForWindowActive(window.get()));
  }
  void Press(QWidget* at, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) const {
    at->setFocus();
    QTest::keyClick(at, key, modifiers);
  }
  int TabShown() const { return Find<QTabBar>("TabStripMain")->currentIndex() + 1; }
};

}  // namespace

class WindowKeysTest : public QObject {
  Q_OBJECT

 private slots:
  void theArrowsOnEitherStripSwitchThePage() {
    KeyWindow f;
    f.ClickTab(1);
    f.window->WindowPort().SetStatus("from tab 1");
    auto* strip = f.Find<QTabBar>("TabStripMain");
    f.Press(strip, Qt::Key_Right);
    QCOMPARE(f.window->CurrentTab(), 2);
    QCOMPARE(f.ShownFrame(), 2);
    QCOMPARE(f.Status(), QString());  // a full switch
    for (int tab = 3; tab <= 6; ++tab) f.Press(strip, Qt::Key_Right);
    QCOMPARE(f.ShownFrame(), 6);

    auto* sub = f.Find<QTabBar>("TabStripVerify");
    f.Press(sub, Qt::Key_Right);
    QVERIFY(f.Find("FrameVerify_2")->isVisible() && f.Hidden("FrameVerify_1"));
    f.Press(sub, Qt::Key_Left);
    QVERIFY(f.Find("FrameVerify_1")->isVisible() && f.Hidden("FrameVerify_2"));
  }

  void controlTabAndControlPageStepThroughTheTabsFromAnyBox() {
    KeyWindow f;
    f.ClickTab(2);
    auto* query = f.Find<QPlainTextEdit>("txtQuery");
    const QString typed = query->toPlainText();
    f.Press(query, Qt::Key_Tab, Qt::ControlModifier);
    QCOMPARE(f.window->CurrentTab(), 3);
    QCOMPARE(f.TabShown(), 3);
    f.Press(f.Find("txtTableImages"), Qt::Key_PageDown, Qt::ControlModifier);
    QCOMPARE(f.ShownFrame(), 4);
    f.Press(f.Find("cmdXMPCustomized"), Qt::Key_PageUp, Qt::ControlModifier);
    QCOMPARE(f.ShownFrame(), 3);
    f.Press(f.Find("txtTableImages"), Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(f.ShownFrame(), 2);
    QCOMPARE(query->toPlainText(), typed);  // the switch back refilled it, nothing was typed
    // Round the ends.
    f.ClickTab(6);
    f.Press(f.Find("txtVerifyQuery"), Qt::Key_PageDown, Qt::ControlModifier);
    QCOMPARE(f.ShownFrame(), 1);
    f.Press(f.Find("cmdHelp"), Qt::Key_PageUp, Qt::ControlModifier);
    QCOMPARE(f.ShownFrame(), 6);
    // Locked with the strip while a scan or check runs.
    f.Find("TabStripMain")->setEnabled(false);
    f.Press(f.Find("txtVerifyQuery"), Qt::Key_PageDown, Qt::ControlModifier);
    QCOMPARE(f.ShownFrame(), 6);
  }

  void tabLeavesTheQueryBoxesAndReachesTheNextLinkWhichEnterFollows() {
    KeyWindow f;
    f.ClickTab(2);
    auto* query = f.Find<QPlainTextEdit>("txtQuery");
    const QString text = query->toPlainText();
    f.Press(query, Qt::Key_Tab);
    QCOMPARE(query->toPlainText(), text);
    QVERIFY(!query->hasFocus());

    // From the test button, Tab goes on to the tab's link; Enter on it shows tab 3.
    auto* next = f.Find<tessarine::LinkLabel>("lblNextStep_2");
    QWidget* at = f.Find("cmdTestingQuery");
    at->setFocus();
    for (int presses = 0; presses < 10 && !next->hasFocus(); ++presses) QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    QVERIFY(next->hasFocus());
    QTest::keyClick(next, Qt::Key_Return);
    QCOMPARE(f.ShownFrame(), 3);
    QCOMPARE(f.TabShown(), 3);

    // Every link of the window is reached by Tab, and Space on a web link opens its address.
    for (auto* link : f.window->findChildren<tessarine::LinkLabel*>()) {
      QCOMPARE(link->focusPolicy(), Qt::StrongFocus);
    }
    f.ClickTab(4);
    auto* xmp = f.Find<tessarine::LinkLabel>("lbLinkXMP");
    f.Press(xmp, Qt::Key_Space);
    QCOMPARE(f.opened, std::vector<QString>{xmp->toolTip()});
  }
};

QTEST_MAIN(WindowKeysTest)
#include "WindowKeysTest.moc"
