// Tab "Verify / Check" on the embedded SQLite catalogue: the browser's buttons and the check's
// lists, buttons and deletes, driven offscreen by object name.

#include <QLabel>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include "support/SqliteCatalogue.h"
#include "WindowFixture.h"

using tessarine::test::WindowFixture;
using tessarine::test::WriteFile;

namespace {

// A window on an SQLite catalogue whose folder `photos` (a.txt, b.txt, sub/c.txt) is scanned.
struct CheckedWindow : WindowFixture {
  CheckedWindow() : WindowFixture() {
    tessarine::test::WriteSqliteSettings(settingsFile);
    std::filesystem::create_directories(photos / "sub");
    for (const char* name : {"a.txt", "b.txt", "sub/c.txt"}) WriteFile(photos / name, name);
    const std::string message = tessarine::test::CreateSqliteCatalogue(settingsFile, photos);
    if (!message.empty()) qFatal("setup: %s", message.c_str());
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
  // Paging and the display modes are VerifyOnDatabase.BrowserPagesWithinTheRowCountAndShowsFieldsInBothModes;
  // here each button reaches the browser and the result reaches its boxes.
  void browserShowsTheRowsAndMovesWithinTheCount() {
    CheckedWindow f;
    auto* result = f.Find<QPlainTextEdit>("txtVerifyResult");
    QCOMPARE(f.Label(), QStringLiteral("Result"));
    f.Click("cmdVerifyQuery");
    QCOMPARE(f.Label(), QStringLiteral("Result 1/3"));
    QVERIFY2(result->toPlainText().contains(QStringLiteral("\nFileName=")), qPrintable(result->toPlainText()));
    QVERIFY(!result->toPlainText().contains(QStringLiteral("Caption=")));  // empty fields hidden
    f.Click("cmdNext");
    QCOMPARE(f.Label(), QStringLiteral("Result 2/3"));
    f.Click("cmdEnd");
    QCOMPARE(f.Label(), QStringLiteral("Result 3/3"));
    f.Click("cmdPrevious");
    QCOMPARE(f.Label(), QStringLiteral("Result 2/3"));
    f.Find<QRadioButton>("optDisplayFields_1")->click();
    f.Click("cmdBegin");
    QCOMPARE(f.Label(), QStringLiteral("Result 1/3"));
    QVERIFY(result->toPlainText().contains(QStringLiteral("\nCaption=\n")));

    // A refused query empties the result box.
    f.Find<QPlainTextEdit>("txtVerifyQuery")->setPlainText(QStringLiteral("select * from Nowhere;"));
    f.Click("cmdVerifyQuery");
    QCOMPARE(result->toPlainText(), QString());
    QVERIFY(f.messages.empty());
  }

  void checkListsBothSidesAndDeletesWhatItListed() {
    CheckedWindow f;
    QVERIFY(!f.Enabled(QStringLiteral("cmdDeleteFiles")) && !f.Enabled(QStringLiteral("cmdDeleteLines")));

    std::filesystem::remove(f.photos / "b.txt");
    WriteFile(f.photos / "sub" / "new.txt", "new");
    // What the lists hold is VerifyOnDatabase.CheckListsExactlyTheMissingRowsAndFilesAndDeletesOnlyWhenAsked;
    // here each list shows its entries as folder and file name.
    f.Click("cmdCheck");
    QVERIFY2(f.Status().startsWith(QStringLiteral("Total files:3 - ")), qPrintable(f.Status()));
    QCOMPARE(f.List(0)->topLevelItemCount(), 1);
    QCOMPARE(f.List(0)->topLevelItem(0)->text(0).toStdString(), (f.photos / "sub").string() + "/");
    QCOMPARE(f.List(0)->topLevelItem(0)->text(1), QStringLiteral("new.txt"));
    QCOMPARE(f.List(1)->topLevelItemCount(), 1);
    QVERIFY(f.List(0)->selectedItems().isEmpty());
    QVERIFY(f.Enabled(QStringLiteral("cmdDeleteFiles")) && f.Enabled(QStringLiteral("cmdDeleteLines")));
    QVERIFY(!f.Hidden(QStringLiteral("cmdCheck")) && f.Hidden(QStringLiteral("cmdCancelCheck")));

    f.answerYes = false;
    f.Click("cmdDeleteFiles");
    QCOMPARE(f.messages.size(), std::size_t(1));
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
