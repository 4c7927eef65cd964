// Tabs 2 and 3 on the embedded SQLite catalogue: the test query's result in its box, the table
// buttons with what they mean to the other tabs, and the statement in its dialog. What
// TestingQuery and CreateCatalogueTable do to the database is tested with them.

#include "support/RecordingUserPort.h"
#include "WindowFixture.h"
#include "workflows/connection/CatalogueTables.h"

using tessarine::test::SqliteWindow;

namespace {

struct TablesWindow : SqliteWindow {
  TablesWindow() : SqliteWindow(false) {}

  QString Run(const QString& query) {
    ClickTab(2);
    Find<QPlainTextEdit>("txtQuery")->setPlainText(query);
    Click("cmdTestingQuery");
    return TextOf("txtResult");
  }
};

}  // namespace

class WindowDatabaseTest : public QObject {
  Q_OBJECT

 private slots:
  void thePasswordNeverShowsAndItsSettingsFileStaysTheOwnersOnly() {
    TablesWindow f;
    f.ClickTab(2);
    f.SetTexts({{"txtLogin", "archivist"}, {"txtPassword", "s3cret-pw"}});
    QCOMPARE(f.Run(QStringLiteral("select 1;")), QStringLiteral("1"));
    QVERIFY2(!f.Status().isEmpty() && !f.Status().contains(QStringLiteral("s3cret-pw")), qPrintable(f.Status()));
    QVERIFY2(f.Status().contains(QStringLiteral("PWD=***")), qPrintable(f.Status()));
    QVERIFY(!f.Find("lblStatus")->toolTip().contains(QStringLiteral("s3cret-pw")));
    // The file the window creates (here on closing, which writes the password) is the owner's only.
    std::filesystem::remove(f.settingsFile);
    QVERIFY(f.window->close());
    QCOMPARE(f.Setting("Connection", "Password"), std::string("s3cret-pw"));
    QCOMPARE(std::filesystem::status(f.settingsFile).permissions() & std::filesystem::perms::all,
             std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
  }

  void testingQueryShowsItsResultUntilATableIsCreatedWhichReachesTheScanTab() {
    TablesWindow f;
    QCOMPARE(f.Run(QStringLiteral("select 6 * 7;")), QStringLiteral("42"));
    QVERIFY(f.messages.empty());
    QCOMPARE(f.Run(QStringLiteral("select from nowhere;")), QString());  // an error empties it
    QCOMPARE(f.messages.size(), std::size_t(1));
    QCOMPARE(f.Run(QStringLiteral("select 1;")), QStringLiteral("1"));

    f.ClickTab(3);
    for (const char* name : {"cmdAddFolder", "cmdRemoveFolder"}) f.Find(name)->setEnabled(false);
    f.answerYes = false;
    f.Click("cmdCreateTableFolders_0");
    QCOMPARE(f.TextOf("txtResult"), QStringLiteral("1"));  // declined: the result stays
    QVERIFY(!f.Enabled("cmdAddFolder"));

    f.answerYes = true;
    f.Click("cmdCreateTableFolders_0");
    QCOMPARE(f.TextOf("txtResult"), QString());
    QCOMPARE(f.EnabledAmong({"cmdAddFolder", "cmdRemoveFolder"}, false), QStringList());
    int loads = 0;
    f.window->SetFolderListLoader([&loads] { ++loads; });
    f.Click("cmdCreateTableImages_0");
    QCOMPARE(loads, 1);
    QCOMPARE(f.Count("Images"), std::string("0"));
    QCOMPARE(f.Count("Folders"), std::string("0"));
  }

  void displaySqlStatementShowsTheTrimmedBoxesStatementInItsDialog() {
    TablesWindow f;
    f.ClickTab(3);
    f.SetTexts({{"txtTableImages", "Pics"}});
    QString caption, statement;
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
    f.SetTexts({{"txtTableFolders", "My Folders"}});
    f.Click("cmdCreateTableFolders_1");
    QCOMPARE(f.dialogs.size(), std::size_t(1));
    QCOMPARE(f.messages.size(), std::size_t(1));
  }
};

QTEST_MAIN(WindowDatabaseTest)
#include "WindowDatabaseTest.moc"
