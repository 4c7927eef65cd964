// Tabs 2 and 3 on the embedded SQLite catalogue: the test query's result in its box, the table
// buttons with what they mean to the other tabs, and the statement in its dialog.

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

#include "support/RecordingUserPort.h"
#include "WindowFixture.h"
#include "workflows/connection/CatalogueTables.h"

using tessarine::test::SqliteWindow;

namespace {

// What TestingQuery and CreateCatalogueTable do to the database is tested with them; here the
// boxes go in and the results come out.
struct TablesWindow : SqliteWindow {
  TablesWindow() : SqliteWindow(false) {}

  QString Run(const QString& query) {
    ClickTab(2);
    Find<QPlainTextEdit>("txtQuery")->setPlainText(query);
    Click("cmdTestingQuery");
    return Result();
  }
  QString Result() const { return Find<QLineEdit>("txtResult")->text(); }
};

}  // namespace

class WindowDatabaseTest : public QObject {
  Q_OBJECT

 private slots:
  void testingQueryShowsTheResultOrEmptiesItAfterAnError() {
    TablesWindow f;
    QCOMPARE(f.Run(QStringLiteral("select 6 * 7;")), QStringLiteral("42"));
    QVERIFY(f.messages.empty());
    QCOMPARE(f.Run(QStringLiteral("select from nowhere;")), QString());
    QCOMPARE(f.messages.size(), std::size_t(1));
  }

  void creatingTheTablesReachesTheScanAndConnectionTabs() {
    TablesWindow f;
    QCOMPARE(f.Run(QStringLiteral("select 1;")), QStringLiteral("1"));
    f.ClickTab(3);
    f.Find<QPushButton>("cmdAddFolder")->setEnabled(false);
    f.Find<QPushButton>("cmdRemoveFolder")->setEnabled(false);
    f.answerYes = false;
    f.Click("cmdCreateTableFolders_0");
    QCOMPARE(f.Result(), QStringLiteral("1"));  // declined: the result stays
    QVERIFY(!f.Enabled("cmdAddFolder"));

    f.answerYes = true;
    f.Click("cmdCreateTableFolders_0");
    QCOMPARE(f.Result(), QString());
    QVERIFY(f.Enabled("cmdAddFolder") && f.Enabled("cmdRemoveFolder"));
    int loads = 0;
    f.window->SetFolderListLoader([&loads] { ++loads; });
    f.Click("cmdCreateTableImages_0");
    QCOMPARE(loads, 1);
    QCOMPARE(f.Run(QStringLiteral("select count(*) from Images;")), QStringLiteral("0"));
    QCOMPARE(f.Run(QStringLiteral("select count(*) from Folders;")), QStringLiteral("0"));
  }

  void displaySqlStatementShowsTheTrimmedBoxesStatementInItsDialog() {
    TablesWindow f;
    f.ClickTab(3);
    f.Find<QLineEdit>("txtTableImages")->setText(QStringLiteral("Pics"));
    QString caption;
    QString statement;
    f.onDialog = [&](QDialog& dialog) {
      caption = dialog.windowTitle();
      statement = dialog.findChild<QPlainTextEdit*>(QStringLiteral("txtSQL"))->toPlainText();
      dialog.findChild<QPushButton*>(QStringLiteral("cmdCancel"))->click();
    };
    f.Click("cmdCreateTableImages_1");
    QCOMPARE(f.dialogs, (std::vector<QString>{QStringLiteral("frmDisplaySQLStatement")}));
    tessarine::test::RecordingUserPort port;
    tessarine::Settings settings = tessarine::LoadSettings(f.settingsFile);
    tessarine::TableNameBoxes boxes{"Folders", "Pics"};
    const auto expected = tessarine::DisplayTableStatement(port, settings, boxes, tessarine::CatalogueTable::Images);
    QVERIFY(expected.has_value());
    QCOMPARE(caption.toStdString(), expected->caption);
    QCOMPARE(statement.toStdString(), expected->statement);

    // A name the action refuses shows no dialog.
    f.Find<QLineEdit>("txtTableFolders")->setText(QStringLiteral("My Folders"));
    f.Click("cmdCreateTableFolders_1");
    QCOMPARE(f.dialogs.size(), std::size_t(1));
    QCOMPARE(f.messages.size(), std::size_t(1));
  }
};

QTEST_MAIN(WindowDatabaseTest)
#include "WindowDatabaseTest.moc"
