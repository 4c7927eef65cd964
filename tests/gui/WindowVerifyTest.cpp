// Tab "Verify / Check" on the embedded SQLite catalogue: each browser button reaches the browser
// and its row reaches the boxes; the check fills its lists, enables the deletes and locks the tab
// strips while it runs.

#include <QLabel>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include "WindowFixture.h"

using tessarine::test::SqliteWindow;
using tessarine::test::WriteFile;

namespace {

// The folder `photos` (a.txt, b.txt, sub/c.txt) listed and scanned; tab 6 shown.
struct CheckedWindow : SqliteWindow {
  CheckedWindow() : SqliteWindow(true, "", {"a.txt", "b.txt", "sub/c.txt"}) { ClickTab(6); }

  QTreeWidget* List(int i) const { return Find<QTreeWidget>(QStringLiteral("lvCheckedFiles_%1").arg(i)); }
  int Listed() const { return List(0)->topLevelItemCount() + List(1)->topLevelItemCount(); }
  QString Label() const { return Find<QLabel>("lblVerifyResult")->text(); }
};

}  // namespace

class WindowVerifyTest : public QObject {
  Q_OBJECT

 private slots:
  // Paging and the display modes are VerifyOnDatabase.BrowserPagesWithinTheRowCountAndShowsFieldsInBothModes.
  void browserButtonsMoveThroughTheRowsInTheChosenMode() {
    CheckedWindow f;
    auto* result = f.Find<QPlainTextEdit>("txtVerifyResult");
    f.Click("cmdVerifyQuery");
    QCOMPARE(f.Label(), QStringLiteral("Result 1/3"));
    QVERIFY2(result->toPlainText().contains(QStringLiteral("\nFileName=")), qPrintable(result->toPlainText()));
    QVERIFY(!result->toPlainText().contains(QStringLiteral("\nCaption=")));  // empty fields hidden
    const std::pair<const char*, const char*> moves[] = {
        {"cmdNext", "Result 2/3"}, {"cmdEnd", "Result 3/3"}, {"cmdPrevious", "Result 2/3"}, {"cmdBegin", "Result 1/3"}};
    for (const auto& [button, label] : moves) {
      f.Click(button);
      QCOMPARE(f.Label(), QString::fromLatin1(label));
    }
    f.Find<QRadioButton>("optDisplayFields_1")->click();
    f.Click("cmdNext");
    QVERIFY(result->toPlainText().contains(QStringLiteral("\nCaption=\n")));

    // A refused query empties the result box.
    f.Find<QPlainTextEdit>("txtVerifyQuery")->setPlainText(QStringLiteral("select * from Nowhere;"));
    f.Click("cmdVerifyQuery");
    QCOMPARE(result->toPlainText(), QString());
  }

  // What the lists hold is VerifyOnDatabase.CheckListsExactlyTheMissingRowsAndFilesAndDeletesOnlyWhenAsked.
  void checkWalksTheFoldersTableAsItIsNowAndDeletesWhatItListed() {
    CheckedWindow f;
    QVERIFY(!f.Enabled(QStringLiteral("cmdDeleteFiles")) && !f.Enabled(QStringLiteral("cmdDeleteLines")));
    std::filesystem::remove(f.photos / "b.txt");
    // A folder listed after the window loaded its list: the check reloads the list first.
    const auto more = f.dir / "more";
    std::filesystem::create_directories(more);
    WriteFile(more / "new.txt", "new");
    f.Sql("insert into Folders values('" + more.string() + "/', '', '');");
    f.Click("cmdCheck");
    QCOMPARE(f.List(0)->topLevelItemCount(), 1);
    QCOMPARE(f.List(0)->topLevelItem(0)->text(0).toStdString(), more.string() + "/");
    QCOMPARE(f.List(0)->topLevelItem(0)->text(1), QStringLiteral("new.txt"));
    QCOMPARE(f.List(1)->topLevelItemCount(), 1);
    QCOMPARE(f.List(1)->topLevelItem(0)->text(1), QStringLiteral("b.txt"));
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
    QVERIFY(!std::filesystem::exists(more / "new.txt"));
    QCOMPARE(f.Listed(), 0);

    f.Click("cmdCheck");
    QCOMPARE(f.Listed(), 0);
    QVERIFY(!f.Enabled(QStringLiteral("cmdDeleteFiles")) && !f.Enabled(QStringLiteral("cmdDeleteLines")));
  }

  void theCheckLocksTheTabStripsAndClosingCountsAsCancel() {
    CheckedWindow f;
    std::filesystem::remove(f.photos / "a.txt");
    bool lockedWhileRunning = false;
    // Clicked from the event loop the check hands control to after its first file.
    QTimer::singleShot(0, [&] {
      lockedWhileRunning = !f.Enabled(QStringLiteral("TabStripMain")) && !f.Enabled(QStringLiteral("TabStripVerify")) &&
                           f.Hidden(QStringLiteral("cmdCheck")) && !f.Hidden(QStringLiteral("cmdCancelCheck"));
      f.window->close();  // refused during a check: it only cancels
    });
    f.Click("cmdCheck");
    QVERIFY(lockedWhileRunning);
    QVERIFY(f.window->isVisible());
    QVERIFY2(f.Status().startsWith(QStringLiteral("Total files:1 - ")), qPrintable(f.Status()));
    QCOMPARE(f.List(1)->topLevelItemCount(), 0);  // cancelled before the rows were compared
    QVERIFY(!f.Enabled(QStringLiteral("cmdDeleteLines")));
    QVERIFY(f.Enabled(QStringLiteral("TabStripMain")) && f.Enabled(QStringLiteral("TabStripVerify")));
    QVERIFY(f.Hidden(QStringLiteral("cmdCancelCheck")));
  }
};

QTEST_MAIN(WindowVerifyTest)
#include "WindowVerifyTest.moc"
