// The database buttons of tabs 2 and 3 against the embedded SQLite catalogue, reached through
// its ODBC driver on a file data source of the test's own.

#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

#include "support/SqliteCatalogue.h"
#include "WindowFixture.h"

using tessarine::test::WindowFixture;

namespace {

// Opens the window on an SQLite catalogue, on the connection tab. What the buttons do to the
// database is TestingQueryOn and CreateTablesOnDb; here the boxes and the results go both ways.
struct SqliteWindow : WindowFixture {
  SqliteWindow() : WindowFixture() {
    tessarine::test::WriteSqliteSettings(settingsFile);
    Open();
    // The start-up load found no folders table yet and beeped; the tests count from here.
    beeps = 0;
    ClickTab(2);
  }

  QString Run(const QString& query) {
    Find<QPlainTextEdit>("txtQuery")->setPlainText(query);
    Click("cmdTestingQuery");
    return Find<QLineEdit>("txtResult")->text();
  }
};

}  // namespace

class WindowDatabaseTest : public QObject {
  Q_OBJECT

 private slots:
  void testingQueryShowsTheResultOrEmptiesItAfterAnError() {
    SqliteWindow f;
    QCOMPARE(f.Find<QPlainTextEdit>("txtQuery")->toPlainText(), QStringLiteral("select 1;"));
    f.Click("cmdTestingQuery");
    QCOMPARE(f.Find<QLineEdit>("txtResult")->text(), QStringLiteral("1"));
    QVERIFY(!f.Find<QLabel>("lblStatus")->text().isEmpty());  // the connect string the driver completed
    QVERIFY(f.messages.empty());
    QCOMPARE(f.Run(QStringLiteral("select from nowhere;")), QString());
    QCOMPARE(f.messages.size(), std::size_t(1));
    QCOMPARE(f.beeps, 1);
  }

  void anInvalidTableNameIsRefusedByBothButtons() {
    SqliteWindow f;
    f.ClickTab(3);
    f.Find<QLineEdit>("txtTableImages")->setText(QStringLiteral("My Pics"));
    f.Click("cmdCreateTableImages_0");
    QCOMPARE(f.messages.size(), std::size_t(1));
    QCOMPARE(f.messages[0].text, std::string("Invalid table name"));
    f.Find<QLineEdit>("txtTableFolders")->clear();
    f.Click("cmdCreateTableFolders_1");
    QCOMPARE(f.messages.size(), std::size_t(2));
    QVERIFY(f.dialogs.empty());
  }

  void creatingTheTablesEnablesTheFolderButtonsAndReloadsTheList() {
    SqliteWindow f;
    f.ClickTab(3);
    f.Find<QPushButton>("cmdAddFolder")->setEnabled(false);
    f.Click("cmdCreateTableFolders_0");
    QVERIFY(f.Find<QPushButton>("cmdAddFolder")->isEnabled());
    QVERIFY(f.Find<QPushButton>("cmdRemoveFolder")->isEnabled());
    int loads = 0;
    f.window->SetFolderListLoader([&loads] { ++loads; });
    f.Click("cmdCreateTableImages_0");
    QCOMPARE(loads, 1);  // the images table reloads the folder list
    QCOMPARE(f.messages.size(), std::size_t(2));
    f.ClickTab(2);
    QCOMPARE(f.Run(QStringLiteral("select count(*) from Images;")), QStringLiteral("0"));
  }

  void displaySqlStatementShowsTheStatementInItsDialog() {
    SqliteWindow f;
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
    QCOMPARE(caption, QStringLiteral("SQL statement to create table 'Pics'"));
    const auto& sqlite = tessarine::SqlDialectFor(tessarine::DbmsKind::Sqlite);
    QCOMPARE(statement, QString::fromStdString(tessarine::ImagesTableStatement("Pics", sqlite)));
  }
};

QTEST_MAIN(WindowDatabaseTest)
#include "WindowDatabaseTest.moc"
