// Tab "Verify / Check" on the embedded SQLite catalogue: the browser's buttons and the check's
// lists, buttons and deletes, driven offscreen by object name.

#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabBar>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include "WindowFixture.h"
#include "app/WindowTitle.h"
#include "db/CatalogueConnection.h"
#include "db/CatalogueStatements.h"
#include "db/SqlDialect.h"
#include "scan/FolderList.h"
#include "scan/ScanDriver.h"
#include "support/RecordingUserPort.h"

using tessarine::MessageIcon;
using tessarine::test::WindowFixture;
using tessarine::test::WriteFile;

namespace {

// A window on an SQLite catalogue whose folder `photos` (a.txt, b.txt, sub/c.txt) is scanned.
struct CheckedWindow : WindowFixture {
  CheckedWindow() : WindowFixture() {
    const auto dsnFile = dir / "catalogue.dsn";
    WriteFile(dsnFile, "[ODBC]\nDriver=SQLite3\nDatabase=" + (dir / "catalogue.sqlite").string() + "\n");
    WriteFile(settingsFile, "[Connection]\nDSN=" + dsnFile.string() + "\nFileDSN=1\n[Database]\nDBMS=3\n");
    std::filesystem::create_directories(photos / "sub");
    for (const char* name : {"a.txt", "b.txt", "sub/c.txt"}) WriteFile(photos / name, name);

    tessarine::test::RecordingUserPort port;
    tessarine::CatalogueConnection connection(port);
    tessarine::Settings settings = tessarine::LoadSettings(settingsFile);
    connection.OpenConnection(settings, true);
    connection.SendStatement(tessarine::FoldersTableStatement(settings.folders));
    connection.SendStatement(tessarine::ImagesTableStatement(settings.images, tessarine::SqlDialectFor(settings.dbms)));
    tessarine::AddFolderToScan(connection, port, settings, true, photos.string(), {});
    auto entries = tessarine::LoadFolderEntries(connection, port, settings, true).entries;
    for (auto& e : entries) e.checked = true;
    tessarine::ScanFolders(connection, port, settings, true, settingsFile, entries, {});
    if (!port.messages.empty()) qFatal("setup: %s", port.messages.front().text.c_str());
    Open();
    ClickTab(6);
  }

  QTreeWidget* List(int i) const { return Find<QTreeWidget>(QStringLiteral("lvCheckedFiles_%1").arg(i)); }
  QString Label() const { return Find<QLabel>("lblVerifyResult")->text(); }
  QString Status() const { return Find<QLabel>("lblStatus")->text(); }

  std::filesystem::path photos = dir / "photos";
};

}  // namespace

class WindowVerifyTest : public QObject {
  Q_OBJECT

 private slots:
  void browserShowsTheRowsAndMovesWithinTheCount() {
    CheckedWindow f;
    auto* result = f.Find<QPlainTextEdit>("txtVerifyResult");
    QCOMPARE(f.Label(), QStringLiteral("Result"));
    f.Click("cmdVerifyQuery");
    QCOMPARE(f.Label(), QStringLiteral("Result 1/3"));
    const QString firstRow = result->toPlainText();
    QVERIFY2(firstRow.contains(QStringLiteral("\nFileName=")) && firstRow.endsWith('\n'), qPrintable(firstRow));
    QVERIFY(!firstRow.contains(QStringLiteral("Caption=")));  // empty fields hidden

    f.Click("cmdPrevious");
    QCOMPARE(f.Label(), QStringLiteral("Result 1/3"));
    f.Click("cmdEnd");
    QCOMPARE(f.Label(), QStringLiteral("Result 3/3"));
    f.Click("cmdNext");
    QCOMPARE(f.Label(), QStringLiteral("Result 3/3"));
    f.Find<QRadioButton>("optDisplayFields_1")->click();
    f.Click("cmdBegin");
    QCOMPARE(f.Label(), QStringLiteral("Result 1/3"));
    QVERIFY(result->toPlainText().contains(QStringLiteral("\nCaption=\n")));

    // A refused query: the browser's own word, a beep, no box; the result box stays empty.
    f.Find<QPlainTextEdit>("txtVerifyQuery")->setPlainText(QStringLiteral("select * from Nowhere;"));
    f.Click("cmdVerifyQuery");
    QVERIFY2(f.Status().startsWith(QStringLiteral("Erreur ")), qPrintable(f.Status()));
    QCOMPARE(result->toPlainText(), QString());
    QVERIFY(f.messages.empty());
    QCOMPARE(f.beeps, 1);
  }

  void checkListsBothSidesAndDeletesWhatItListed() {
    CheckedWindow f;
    QVERIFY(!f.Enabled(QStringLiteral("cmdDeleteFiles")) && !f.Enabled(QStringLiteral("cmdDeleteLines")));
    // The sub-tab strip shows the check panel alone.
    auto* strip = f.Find<QTabBar>("TabStripVerify");
    QTest::mouseClick(strip, Qt::LeftButton, {}, strip->tabRect(1).center());
    QVERIFY(f.Find("FrameVerify_2")->isVisible() && !f.Find("FrameVerify_1")->isVisible());
    QCOMPARE(f.Find<QWidget>("FrameVerify_2")->property("title").toString(),
             QStringLiteral("Check already scanned files and corresponding lines in images table 'Images'"));

    std::filesystem::remove(f.photos / "b.txt");
    WriteFile(f.photos / "sub" / "new.txt", "new");
    f.Click("cmdCheck");
    QVERIFY2(f.Status().startsWith(QStringLiteral("Total files:3 - Elapsed time: 0 h 0 min ")), qPrintable(f.Status()));
    const QString root = QString::fromStdString(f.photos.string()) + '/';
    QCOMPARE(f.List(0)->topLevelItemCount(), 1);
    QCOMPARE(f.List(0)->topLevelItem(0)->text(0), root + QStringLiteral("sub/"));
    QCOMPARE(f.List(0)->topLevelItem(0)->text(1), QStringLiteral("new.txt"));
    QCOMPARE(f.List(1)->topLevelItemCount(), 1);
    QCOMPARE(f.List(1)->topLevelItem(0)->text(0), root);
    QCOMPARE(f.List(1)->topLevelItem(0)->text(1), QStringLiteral("b.txt"));
    QVERIFY(f.List(0)->selectedItems().isEmpty());
    QVERIFY(f.Enabled(QStringLiteral("cmdDeleteFiles")) && f.Enabled(QStringLiteral("cmdDeleteLines")));
    QVERIFY(!f.Hidden(QStringLiteral("cmdCheck")) && f.Hidden(QStringLiteral("cmdCancelCheck")));

    f.answerYes = false;
    f.Click("cmdDeleteFiles");
    QCOMPARE(f.messages.back().icon, MessageIcon::Question);
    QCOMPARE(f.messages.back().title, std::string(tessarine::kWindowTitle));
    QVERIFY(std::filesystem::exists(f.photos / "sub" / "new.txt"));
    QCOMPARE(f.List(0)->topLevelItemCount(), 1);
    f.answerYes = true;
    f.Click("cmdDeleteFiles");
    f.Click("cmdDeleteLines");
    QVERIFY(!std::filesystem::exists(f.photos / "sub" / "new.txt"));
    QCOMPARE(f.List(0)->topLevelItemCount() + f.List(1)->topLevelItemCount(), 0);
    QVERIFY(f.Enabled(QStringLiteral("cmdDeleteFiles")));

    f.Click("cmdCheck");
    QCOMPARE(f.List(0)->topLevelItemCount() + f.List(1)->topLevelItemCount(), 0);
    QVERIFY(!f.Enabled(QStringLiteral("cmdDeleteFiles")) && !f.Enabled(QStringLiteral("cmdDeleteLines")));
  }

  void cancelDuringTheRunKeepsTheWindowLockedUntilItEnds() {
    CheckedWindow f;
    std::filesystem::remove(f.photos / "a.txt");
    bool lockedWhileRunning = false;
    // Clicked from the event loop the check hands control to after its first file.
    QTimer::singleShot(0, [&] {
      lockedWhileRunning = !f.Enabled(QStringLiteral("TabStripMain")) && !f.Enabled(QStringLiteral("TabStripVerify")) &&
                           f.Hidden(QStringLiteral("cmdCheck")) && !f.Hidden(QStringLiteral("cmdCancelCheck"));
      f.window->close();  // refused during a check: it only cancels
      f.Click("cmdCancelCheck");
    });
    f.Click("cmdCheck");
    QVERIFY(lockedWhileRunning);
    QVERIFY(f.window->isVisible());
    QVERIFY2(f.Status().startsWith(QStringLiteral("Total files:1 - Elapsed time: ")), qPrintable(f.Status()));
    QCOMPARE(f.List(1)->topLevelItemCount(), 0);
    QVERIFY(!f.Enabled(QStringLiteral("cmdDeleteLines")));
    QVERIFY(f.Enabled(QStringLiteral("TabStripMain")) && f.Enabled(QStringLiteral("TabStripVerify")));
  }
};

QTEST_MAIN(WindowVerifyTest)
#include "WindowVerifyTest.moc"
