// The tab switch: one frame shown, the shown tab does nothing, queries refilled for the chosen
// kind of server, the table names taken at each switch and written on tab 5, the next-step links
// and the verify sub-tabs.

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTest>

#include "catalogue/SqlDialect.h"
#include "WindowFixture.h"

using tessarine::test::WindowFixture;

namespace {

QString Query(const WindowFixture& f) { return f.Find<QPlainTextEdit>("txtQuery")->toPlainText(); }
QString VerifyQuery(const WindowFixture& f) { return f.Find<QPlainTextEdit>("txtVerifyQuery")->toPlainText(); }
QString Text(const std::string& text) { return QString::fromStdString(text); }

int VisibleFrame(const WindowFixture& f) {
  int shown = 0;
  for (int i = 1; i <= 6; ++i) {
    if (f.Hidden(QStringLiteral("FrameMain_%1").arg(i))) continue;
    if (shown != 0) return -1;  // two frames shown
    shown = i;
  }
  return shown;
}

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
    QCOMPARE(Query(f), Text(first.TestQuery()));
    f.Click("optDatabase_1");
    QCOMPARE(Query(f), Text(first.TestQuery()));
    f.ClickTab(2);
    const auto& oracle = tessarine::SqlDialectFor(tessarine::DbmsKind::Oracle);
    QCOMPARE(Query(f), Text(oracle.TestQuery()));
    QCOMPARE(VerifyQuery(f), Text(oracle.FirstRowsQuery("Images")));
    f.Find<QPlainTextEdit>("txtQuery")->setPlainText(QStringLiteral("select 2;"));
    f.ClickTab(2);
    QCOMPARE(Query(f), QStringLiteral("select 2;"));
  }

  void tableNamesAreTakenAtEachSwitchAndWrittenOnTabFive() {
    WindowFixture f;
    int loads = 0;
    f.window->SetFolderListLoader([&loads] { ++loads; });
    f.ClickTab(3);
    auto* images = f.Find<QLineEdit>("txtTableImages");
    images->clear();
    QTest::keyClicks(images, QStringLiteral(" Images2 "));
    QCOMPARE(images->text(), QStringLiteral("Images2"));
    f.Find<QLineEdit>("txtTableFolders")->setText(QStringLiteral("  Folders2  "));
    QCOMPARE(f.Find<QLineEdit>("txtTableFolders")->text(), QStringLiteral("Folders2"));

    f.ClickTab(6);
    QCOMPARE(f.window->CurrentSettings().images, std::string("Images2"));
    QCOMPARE(f.window->CurrentSettings().folders, std::string("Folders2"));
    QCOMPARE(VerifyQuery(f), Text(tessarine::SqlDialectFor(f.window->CurrentSettings().dbms).FirstRowsQuery("Images2")));
    QCOMPARE(f.Find<QLabel>("lblVerifyQuery")->text(), QStringLiteral("Query - get first 20 lines of images table 'Images2'"));
    QCOMPARE(f.Find<QGroupBox>("FrameVerify_2")->title(),
             QStringLiteral("Check already scanned files and corresponding lines in images table 'Images2'"));
    QVERIFY(!std::filesystem::exists(f.settingsFile));
    QCOMPARE(loads, 0);

    f.ClickTab(5);
    QCOMPARE(loads, 1);
    QCOMPARE(f.Setting("Database", "Folders"), std::string("Folders2"));
    QCOMPARE(f.Setting("Database", "Images"), std::string("Images2"));
    f.ClickTab(5);
    QCOMPARE(loads, 1);
  }

  void tabsAndNextStepLinksShowOneFrameEach() {
    WindowFixture f;
    f.ClickTab(4);
    QCOMPARE(VisibleFrame(f), 4);
    f.ClickTab(1);
    QCOMPARE(VisibleFrame(f), 1);
    auto* strip = f.Find<QTabBar>("TabStripMain");
    for (int k = 1; k <= 5; ++k) {
      const QByteArray name = QStringLiteral("lblNextStep_%1").arg(k).toLatin1();
      f.ClickLabel(name.constData());
      QCOMPARE(f.window->CurrentTab(), k + 1);
      QCOMPARE(strip->currentIndex(), k);
      QCOMPARE(VisibleFrame(f), k + 1);
    }
    auto* verify = f.Find<QTabBar>("TabStripVerify");
    for (int k : {1, 0}) {
      QTest::mouseClick(verify, Qt::LeftButton, {}, verify->tabRect(k).center());
      QCOMPARE(f.Hidden("FrameVerify_1"), k == 1);
      QCOMPARE(f.Hidden("FrameVerify_2"), k == 0);
    }
  }
};

QTEST_MAIN(WindowTabsTest)
#include "WindowTabsTest.moc"
