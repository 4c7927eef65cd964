// The tab switch: same tab does nothing, queries refilled from the dialect, captions naming the
// images table, table names saved only on tab 5, next-step links, and the verify sub-tabs.

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTest>

#include "catalogue/SqlDialect.h"
#include "core/Settings.h"
#include "WindowFixture.h"

using tessarine::test::WindowFixture;

class WindowTabsTest : public QObject {
  Q_OBJECT

 private:
  static QString Query(const WindowFixture& f) { return f.Find<QPlainTextEdit>("txtQuery")->toPlainText(); }
  static QString VerifyQuery(const WindowFixture& f) { return f.Find<QPlainTextEdit>("txtVerifyQuery")->toPlainText(); }
  static int VisibleFrame(const WindowFixture& f) {
    int shown = 0;
    for (int i = 1; i <= 6; ++i) {
      if (!f.Hidden(QStringLiteral("FrameMain_%1").arg(i))) {
        if (shown != 0) return -1;  // two frames shown
        shown = i;
      }
    }
    return shown;
  }

 private slots:
  void theFirstClickOnTabOneRunsTheFullSwitchAndClearsTheStatusLine() {
    WindowFixture f;
    QCOMPARE(f.Find<QLabel>("lblStatus")->text(), QStringLiteral("DSN not defined"));
    f.ClickTab(1);
    QCOMPARE(f.window->CurrentTab(), 1);
    QCOMPARE(Query(f), QStringLiteral("select 1;"));
    QCOMPARE(VerifyQuery(f), QStringLiteral("select * from Images limit 20;"));
    QCOMPARE(f.Find<QLabel>("lblStatus")->text(), QString());
  }

  void eachTabShowsOnlyItsOwnFrame() {
    WindowFixture f;
    for (int t : {3, 6, 2, 4, 1}) {
      f.ClickTab(t);
      QCOMPARE(VisibleFrame(f), t);
    }
  }

  void clickingTheShownTabKeepsATypedQuery() {
    WindowFixture f;
    f.ClickTab(2);
    f.Find<QPlainTextEdit>("txtQuery")->setPlainText(QStringLiteral("select 2;"));
    f.ClickTab(2);
    QCOMPARE(Query(f), QStringLiteral("select 2;"));
    f.ClickTab(3);
    QCOMPARE(Query(f), QStringLiteral("select 1;"));
  }

  // Each option's kind is WindowOptionsTest.choosingADatabaseKindWritesItsNumber; its queries, SqlDialectTest.
  void queriesFollowTheChosenKindAtTheNextSwitch() {
    WindowFixture f;
    f.ClickTab(1);
    f.Click("optDatabase_1");
    QCOMPARE(Query(f), QStringLiteral("select 1;"));  // no refill until the next switch
    f.ClickTab(2);
    const tessarine::SqlDialect& oracle = tessarine::SqlDialectFor(tessarine::DbmsKind::Oracle);
    QCOMPARE(Query(f), QString::fromStdString(oracle.TestQuery()));
    QCOMPARE(VerifyQuery(f), QString::fromStdString(oracle.FirstRowsQuery("Images")));
  }

  void aStoredKindAndImagesTableShapeTheVerifyQuery() {
    WindowFixture f("[Database]\nDBMS=2\nImages=Pictures\n");
    f.ClickTab(6);
    const auto& dialect = tessarine::SqlDialectFor(tessarine::DbmsKind::SqlServer);
    QCOMPARE(VerifyQuery(f), QString::fromStdString(dialect.FirstRowsQuery("Pictures")));
  }

  void tableNameBoxesDropBlanksAsTheyAreTyped() {
    WindowFixture f;
    f.ClickTab(3);
    auto* images = f.Find<QLineEdit>("txtTableImages");
    images->clear();
    QTest::keyClicks(images, QStringLiteral(" Images2 "));
    QCOMPARE(images->text(), QStringLiteral("Images2"));
    auto* folders = f.Find<QLineEdit>("txtTableFolders");
    folders->setText(QStringLiteral("  Folders2  "));
    QCOMPARE(folders->text(), QStringLiteral("Folders2"));
    // The memory follows the boxes at the next switch; the captions name the new table.
    f.ClickTab(6);
    QCOMPARE(f.window->CurrentSettings().images, std::string("Images2"));
    QCOMPARE(f.window->CurrentSettings().folders, std::string("Folders2"));
    QCOMPARE(f.Find<QLabel>("lblVerifyQuery")->text(), QStringLiteral("Query - get first 20 lines of images table 'Images2'"));
    QCOMPARE(f.Find<QGroupBox>("FrameVerify_2")->title(),
             QStringLiteral("Check already scanned files and corresponding lines in images table 'Images2'"));
    // Only tab 5 writes the names.
    QVERIFY(!std::filesystem::exists(f.settingsFile));
  }

  void tabFiveSavesTheTableNamesAndReloadsTheFolderList() {
    WindowFixture f;
    int loads = 0;
    f.window->SetFolderListLoader([&loads] { ++loads; });
    f.Find<QLineEdit>("txtTableFolders")->setText(QStringLiteral("Folders3"));
    f.ClickTab(5);
    QCOMPARE(loads, 1);
    QCOMPARE(f.Setting("Database", "Folders"), std::string("Folders3"));
    QCOMPARE(f.Setting("Database", "Images"), std::string("Images"));
    f.ClickTab(5);
    QCOMPARE(loads, 1);  // the shown tab changes nothing
  }

  void nextStepLinksSelectTheFollowingTab() {
    WindowFixture f;
    auto* strip = f.Find<QTabBar>("TabStripMain");
    for (int k = 1; k <= 5; ++k) {
      const QByteArray name = QStringLiteral("lblNextStep_%1").arg(k).toLatin1();
      f.ClickTab(k);
      f.ClickLabel(name.constData());
      QCOMPARE(f.window->CurrentTab(), k + 1);
      QCOMPARE(strip->currentIndex(), k);
      QCOMPARE(VisibleFrame(f), k + 1);
    }
  }

  void verifySubTabsShowOnePanelEach() {
    WindowFixture f;
    f.ClickTab(6);
    auto* strip = f.Find<QTabBar>("TabStripVerify");
    QCOMPARE(strip->tabText(0), QStringLiteral("Verify"));
    QCOMPARE(strip->tabText(1), QStringLiteral("Check"));
    for (int k : {1, 0}) {
      QTest::mouseClick(strip, Qt::LeftButton, {}, strip->tabRect(k).center());
      QCOMPARE(f.Hidden("FrameVerify_1"), k == 1);
      QCOMPARE(f.Hidden("FrameVerify_2"), k == 0);
    }
  }
};

QTEST_MAIN(WindowTabsTest)
#include "WindowTabsTest.moc"
