// The tab strips, the next-step links and the keys: one frame shown at a time; a switch refills
// the queries for the chosen kind of server and takes the table names, written on tab 5 only;
// arrows, Ctrl+Tab and Ctrl+PageDown step through the tabs round the ends; Tab leaves the text
// boxes and reaches the links, which Enter and Space follow.

#include <QApplication>

#include "catalogue/SqlDialect.h"
#include "gui/LinkLabel.h"
#include "support/ValidName.h"
#include "WindowFixture.h"

namespace {

QString Q(const std::string& text) { return QString::fromStdString(text); }

// The window made active, so that its shortcuts take the keys.
struct KeyWindow : tessarine::test::WindowFixture {
  KeyWindow() {
    QApplication::setActiveWindow(window.get());
    QVERIFY(QTest::qWaitForWindowActive(window.get()));
  }
  void Press(const char* name, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) const {
    QWidget* at = Find(name);
    at->setFocus();
    QTest::keyClick(at, key, modifiers);
  }
};

}  // namespace

class WindowTabsTest : public QObject {
  Q_OBJECT

 private slots:
  void aSwitchRefillsTheQueriesAndTakesTheTableNamesWhichTabFiveWrites() {
    tessarine::test::WindowFixture f;
    int loads = 0;
    f.window->SetFolderListLoader([&loads] { ++loads; });
    QVERIFY(!f.Status().isEmpty());
    f.ClickTab(1);  // already shown, but never switched to: the full switch runs
    QCOMPARE(f.Status(), QString());
    const auto& oracle = tessarine::SqlDialectFor(tessarine::DbmsKind::Oracle);
    f.Click("optDatabase_1");
    QVERIFY(f.TextOf("txtQuery") != Q(oracle.TestQuery()));  // until the next switch
    f.ClickTab(3);
    f.SetTexts({{"txtTableImages", QStringLiteral(" Images2 ")}});
    QCOMPARE(f.TextOf("txtTableImages"), QStringLiteral("Images2"));  // trimmed as typed

    f.ClickTab(2);
    QCOMPARE(f.TextOf("txtQuery"), Q(oracle.TestQuery()));
    QCOMPARE(f.TextOf("txtVerifyQuery"), Q(oracle.FirstRowsQuery(tessarine::test::ValidName("Images2"))));
    QVERIFY(f.TextOf("lblVerifyQuery").endsWith(QStringLiteral("'Images2'")));
    f.Find<QPlainTextEdit>("txtQuery")->setPlainText(QStringLiteral("select 2;"));
    f.ClickTab(2);  // the tab shown: nothing happens
    QCOMPARE(f.TextOf("txtQuery"), QStringLiteral("select 2;"));
    QCOMPARE(f.Setting("Database", "Images"), std::string());
    QCOMPARE(loads, 0);

    f.ClickTab(5);
    f.ClickTab(5);
    QCOMPARE(loads, 1);
    f.ExpectSettings("Database", {{"Images", "Images2"}});
  }

  void clicksLinksAndArrowsShowOneFrameEach() {
    KeyWindow f;
    f.ClickTab(3);
    QCOMPARE(f.ShownFrame(), 3);
    f.window->WindowPort().SetStatus("from tab 3");
    f.Press("TabStripMain", Qt::Key_Left);
    QCOMPARE(f.ShownFrame(), 2);
    QCOMPARE(f.Status(), QString());  // a full switch
    f.Press("TabStripMain", Qt::Key_Left);
    for (int k = 1; k <= 5; ++k) {
      f.ClickLabel(QStringLiteral("lblNextStep_%1").arg(k));
      QCOMPARE(f.window->CurrentTab(), k + 1);
      QCOMPARE(f.Find<QTabBar>("TabStripMain")->currentIndex(), k);
      QCOMPARE(f.ShownFrame(), k + 1);
    }
    for (Qt::Key key : {Qt::Key_Right, Qt::Key_Left}) {
      f.Press("TabStripVerify", key);
      QCOMPARE(f.Hidden("FrameVerify_1"), key == Qt::Key_Right);
      QCOMPARE(f.Hidden("FrameVerify_2"), key == Qt::Key_Left);
    }
  }

  void controlTabAndControlPageStepThroughTheTabsFromAnyBoxRoundTheEnds() {
    KeyWindow f;
    f.ClickTab(2);
    const QString query = f.TextOf("txtQuery");
    const std::tuple<const char*, Qt::Key, Qt::KeyboardModifiers, int> steps[] = {
        {"txtQuery", Qt::Key_Tab, Qt::ControlModifier, 3},
        {"txtTableImages", Qt::Key_PageDown, Qt::ControlModifier, 4},
        {"cmdXMPCustomized", Qt::Key_PageUp, Qt::ControlModifier, 3},
        {"txtTableImages", Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier, 2},
        {"txtQuery", Qt::Key_PageUp, Qt::ControlModifier, 1},
        {"cmdHelp", Qt::Key_PageUp, Qt::ControlModifier, 6},
        {"txtVerifyQuery", Qt::Key_PageDown, Qt::ControlModifier, 1}};
    for (const auto& [at, key, modifiers, tab] : steps) {
      f.Press(at, key, modifiers);
      QCOMPARE(f.ShownFrame(), tab);
      QCOMPARE(f.window->CurrentTab(), tab);
      QCOMPARE(f.Find<QTabBar>("TabStripMain")->currentIndex(), tab - 1);
    }
    QCOMPARE(f.TextOf("txtQuery"), query);  // nothing was typed into it
    // Locked with the strip while a scan or check runs.
    f.Find("TabStripMain")->setEnabled(false);
    f.Press("cmdHelp", Qt::Key_PageDown, Qt::ControlModifier);
    QCOMPARE(f.ShownFrame(), 1);
  }

  void tabLeavesTheQueryBoxAndReachesTheLinksWhichEnterAndSpaceFollow() {
    KeyWindow f;
    f.ClickTab(2);
    const QString text = f.TextOf("txtQuery");
    f.Press("txtQuery", Qt::Key_Tab);
    QCOMPARE(f.TextOf("txtQuery"), text);
    QVERIFY(!f.Find("txtQuery")->hasFocus());

    // From the test button, Tab goes on to the tab's link; Enter on it shows tab 3.
    auto* next = f.Find<tessarine::LinkLabel>("lblNextStep_2");
    f.Find("cmdTestingQuery")->setFocus();
    for (int presses = 0; presses < 10 && !next->hasFocus(); ++presses) {
      QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    }
    QVERIFY(next->hasFocus());
    QTest::keyClick(next, Qt::Key_Return);
    QCOMPARE(f.ShownFrame(), 3);

    for (auto* link : f.window->findChildren<tessarine::LinkLabel*>()) QCOMPARE(link->focusPolicy(), Qt::StrongFocus);
    f.ClickTab(4);
    f.Press("lbLinkXMP", Qt::Key_Space);
    QCOMPARE(f.opened, std::vector<QString>{f.Find("lbLinkXMP")->toolTip()});
  }
};

QTEST_MAIN(WindowTabsTest)
#include "WindowTabsTest.moc"
