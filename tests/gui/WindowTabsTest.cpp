// The tab switch: one frame shown, the shown tab does nothing, queries refilled for the chosen
// kind of server, the table names taken at each switch and written on tab 5, the next-step links
// and the verify sub-tabs.

#include "catalogue/SqlDialect.h"
#include "support/ValidName.h"
#include "WindowFixture.h"

using tessarine::test::ValidName;
using tessarine::test::WindowFixture;

namespace {

QString Q(const std::string& text) { return QString::fromStdString(text); }

}  // namespace

class WindowTabsTest : public QObject {
  Q_OBJECT

 private slots:
  void queriesAreRefilledForTheChosenKindOnlyWhenTheTabChanges() {
    WindowFixture f;
    QVERIFY(!f.Status().isEmpty());
    f.ClickTab(1);  // already shown, but never switched to: the full switch runs
    QCOMPARE(f.window->CurrentTab(), 1);
    QCOMPARE(f.Status(), QString());
    const auto& first = tessarine::SqlDialectFor(tessarine::DbmsKind::MySqlPostgreSqlEtc);
    QCOMPARE(f.TextOf("txtQuery"), Q(first.TestQuery()));
    f.Click("optDatabase_1");
    QCOMPARE(f.TextOf("txtQuery"), Q(first.TestQuery()));
    f.ClickTab(2);
    const auto& oracle = tessarine::SqlDialectFor(tessarine::DbmsKind::Oracle);
    f.ExpectTexts(
        {{"txtQuery", Q(oracle.TestQuery())}, {"txtVerifyQuery", Q(oracle.FirstRowsQuery(ValidName("Images")))}});
    f.Find<QPlainTextEdit>("txtQuery")->setPlainText(QStringLiteral("select 2;"));
    f.ClickTab(2);
    QCOMPARE(f.TextOf("txtQuery"), QStringLiteral("select 2;"));
  }

  void tableNamesAreTakenAtEachSwitchAndWrittenOnTabFive() {
    WindowFixture f;
    int loads = 0;
    f.window->SetFolderListLoader([&loads] { ++loads; });
    f.ClickTab(3);
    f.Find<QLineEdit>("txtTableImages")->clear();
    QTest::keyClicks(f.Find<QLineEdit>("txtTableImages"), QStringLiteral(" Images2 "));
    f.SetTexts({{"txtTableFolders", QStringLiteral("  Folders2  ")}});
    f.ExpectTexts({{"txtTableImages", "Images2"}, {"txtTableFolders", "Folders2"}});

    f.ClickTab(6);
    QCOMPARE(f.window->CurrentSettings().images, std::string("Images2"));
    QCOMPARE(f.window->CurrentSettings().folders, std::string("Folders2"));
    const auto& dialect = tessarine::SqlDialectFor(f.window->CurrentSettings().dbms);
    f.ExpectTexts({{"txtVerifyQuery", Q(dialect.FirstRowsQuery(ValidName("Images2")))},
                   {"lblVerifyQuery", "Query - get first 20 lines of images table 'Images2'"},
                   {"FrameVerify_2", "Check already scanned files and corresponding lines in images table 'Images2'"}});
    QVERIFY(!std::filesystem::exists(f.settingsFile));
    QCOMPARE(loads, 0);

    f.ClickTab(5);
    QCOMPARE(loads, 1);
    f.ExpectSettings("Database", {{"Folders", "Folders2"}, {"Images", "Images2"}});
    f.ClickTab(5);
    QCOMPARE(loads, 1);
  }

  void tabsAndNextStepLinksShowOneFrameEach() {
    WindowFixture f;
    for (int t : {4, 1}) {
      f.ClickTab(t);
      QCOMPARE(f.ShownFrame(), t);
    }
    for (int k = 1; k <= 5; ++k) {
      f.ClickLabel(QStringLiteral("lblNextStep_%1").arg(k));
      QCOMPARE(f.window->CurrentTab(), k + 1);
      QCOMPARE(f.Find<QTabBar>("TabStripMain")->currentIndex(), k);
      QCOMPARE(f.ShownFrame(), k + 1);
    }
    auto* verify = f.Find<QTabBar>("TabStripVerify");
    for (int k : {1, 0}) {
      QTest::mouseClick(verify, Qt::LeftButton, {}, verify->tabRect(k).center());
      QVERIFY(f.Hidden("FrameVerify_1") == (k == 1) && f.Hidden("FrameVerify_2") == (k == 0));
    }
  }
};

QTEST_MAIN(WindowTabsTest)
#include "WindowTabsTest.moc"
