// The database buttons of tabs 2 and 3 against the embedded SQLite catalogue, reached through
// its ODBC driver on a file data source of the test's own.

#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

#include "WindowFixture.h"
#include "app/WindowTitle.h"
#include "app/window/DisplaySqlDialog.h"
#include "db/CatalogueStatements.h"

using tessarine::MessageButtons;
using tessarine::MessageIcon;
using tessarine::test::WindowFixture;

namespace {

// A settings file naming a SQLite file data source in the fixture's folder.
std::string SqliteSettings(const tessarine::test::TempDir& dir) {
  const auto dsnFile = dir / "catalogue.dsn";
  tessarine::test::WriteFile(dsnFile, "[ODBC]\nDriver=SQLite3\nDatabase=" + (dir / "catalogue.sqlite").string() + "\n");
  return "[Connection]\nDSN=" + dsnFile.string() + "\nFileDSN=1\n[Database]\nDBMS=3\n";
}

// Opens the window on the SQLite catalogue, on the connection tab.
struct SqliteWindow : WindowFixture {
  SqliteWindow() : WindowFixture() {
    tessarine::test::WriteFile(settingsFile, SqliteSettings(dir));
    Open();
    // The start-up load found no folders table yet and beeped; the tests count from here.
    beeps = 0;
    events.clear();
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
  void testingQueryOnTheEmbeddedCatalogueShowsOneAndNothingForNoRow() {
    SqliteWindow f;
    QCOMPARE(f.Find<QPlainTextEdit>("txtQuery")->toPlainText(), QStringLiteral("select 1;"));
    f.Click("cmdTestingQuery");
    QCOMPARE(f.Find<QLineEdit>("txtResult")->text(), QStringLiteral("1"));
    QVERIFY(f.messages.empty());
    // The status line shows the connect string the driver completed.
    QVERIFY(!f.Find<QLabel>("lblStatus")->text().isEmpty());
    QVERIFY(f.Find<QLabel>("lblStatus")->text() != QStringLiteral("DSN not defined"));
    QCOMPARE(f.Run(QStringLiteral("select 2;")), QStringLiteral("2"));
    // No row: the result is emptied, without a message.
    QCOMPARE(f.Run(QStringLiteral("select 1 where 1 = 0;")), QString());
    QVERIFY(f.messages.empty());
  }

  void aRejectedQueryBeepsThenReportsTheError() {
    SqliteWindow f;
    QCOMPARE(f.Run(QStringLiteral("select from nowhere;")), QString());
    QCOMPARE(f.messages.size(), std::size_t(1));
    QVERIFY(f.messages[0].text.rfind("Error ", 0) == 0);
    QCOMPARE(f.messages[0].icon, MessageIcon::Exclamation);
    QCOMPARE(f.messages[0].title, std::string(tessarine::kWindowTitle));
    QCOMPARE(f.events, (std::vector<std::string>{"beep", "message"}));
  }

  void testingQueryWithoutDsnSavesTheBoxesAndSaysDsnNotDefined() {
    WindowFixture f;
    f.ClickTab(2);
    f.Find<QLineEdit>("txtLogin")->setText(QStringLiteral(" scan "));
    f.Click("cmdTestingQuery");
    QCOMPARE(f.Find<QLabel>("lblStatus")->text(), QStringLiteral("DSN not defined"));
    QCOMPARE(f.Find<QLineEdit>("txtResult")->text(), QString());
    QCOMPARE(f.Setting("Connection", "Login"), std::string("scan"));
    QVERIFY(f.SettingsText().find("DSN=") != std::string::npos);
    QVERIFY(f.messages.empty());
  }

  void invalidTableNamesAreRefusedBeforeAnything() {
    SqliteWindow f;
    f.ClickTab(3);
    f.Find<QLineEdit>("txtTableImages")->setText(QStringLiteral("My Pics"));
    f.Click("cmdCreateTableImages_0");
    QCOMPARE(f.messages.size(), std::size_t(1));
    QCOMPARE(f.messages[0].text, std::string("Invalid table name"));
    QCOMPARE(f.beeps, 1);
    f.Find<QLineEdit>("txtTableFolders")->clear();
    f.Click("cmdCreateTableFolders_1");
    QCOMPARE(f.messages.size(), std::size_t(2));
    QVERIFY(f.dialogs.empty());
  }

  void answeringNoCreatesNothing() {
    SqliteWindow f;
    f.ClickTab(3);
    f.answerYes = false;
    f.Click("cmdCreateTableFolders_0");
    QCOMPARE(f.messages.size(), std::size_t(1));
    QCOMPARE(f.messages[0].buttons, MessageButtons::YesNo);
    f.ClickTab(2);
    QCOMPARE(f.Run(QStringLiteral("select count(*) from sqlite_master where name = 'Folders';")), QStringLiteral("0"));
  }

  void answeringYesCreatesBothTablesAndTheIndex() {
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
    QCOMPARE(f.Setting("Database", "Images"), std::string("Images"));

    f.ClickTab(2);
    QCOMPARE(f.Run(QStringLiteral("select count(*) from Folders;")), QStringLiteral("0"));
    QCOMPARE(f.Run(QStringLiteral("select count(*) from Images;")), QStringLiteral("0"));
    QCOMPARE(f.Run(QStringLiteral("select name from sqlite_master where type = 'index' and tbl_name = 'Images' "
                                  "and name = 'ImagesIndex';")),
             QStringLiteral("ImagesIndex"));
    // Re-creating drops the old table first: its rows are gone.
    f.Run(QStringLiteral("insert into Folders values('/photos/', '', '');"));
    f.ClickTab(3);
    f.Click("cmdCreateTableFolders_0");
    f.ClickTab(2);
    QCOMPARE(f.Run(QStringLiteral("select count(*) from Folders;")), QStringLiteral("0"));
  }

  void displaySqlStatementShowsTheCreationStatementOnly() {
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
    QCOMPARE(statement, QString::fromStdString(tessarine::ImagesTableStatement("Pics", sqlite)));  // no index, no drop
    QVERIFY(f.messages.empty());
    QVERIFY(f.SettingsText().find("Pics") == std::string::npos);
  }
};

QTEST_MAIN(WindowDatabaseTest)
#include "WindowDatabaseTest.moc"
