// Tab "Verify / Check" on the embedded SQLite catalogue: each browser button reaches the browser
// and its row reaches the boxes; the check fills its lists, enables the deletes and locks the tab
// strips while it runs.

#include <QLineEdit>

#include "WindowFixture.h"

using tessarine::test::SqliteWindow;
using tessarine::test::WriteFile;

namespace {

// The folder `photos` (a.txt, b.txt, sub/c.txt) listed and scanned; tab 6 shown.
struct CheckedWindow : SqliteWindow {
  CheckedWindow() : SqliteWindow(true, "", {"a.txt", "b.txt", "sub/c.txt"}) { ClickTab(6); }

  QTreeWidget* List(int i) const { return Find<QTreeWidget>(QStringLiteral("lvCheckedFiles_%1").arg(i)); }
  QStringList Files(int i) const {
    QStringList files;
    for (int r = 0; r < List(i)->topLevelItemCount(); ++r) files << List(i)->topLevelItem(r)->text(1);
    return files;
  }
  // Clicks "Check" and lets the window run until the check, on its own thread, has ended.
  bool Check() const {
    Click("cmdCheck");
    return QTest::qWaitFor([this] { return Hidden("cmdCancelCheck"); }, 60'000);
  }
};

}  // namespace

class WindowVerifyTest : public QObject {
  Q_OBJECT

 private slots:
  // Paging and the display modes are VerifyOnDatabase.BrowserPagesWithinTheRowCountAndShowsFieldsInBothModes.
  void browserButtonsMoveThroughTheRowsInTheChosenMode() {
    CheckedWindow f;
    f.Click("cmdVerifyQuery");
    QCOMPARE(f.TextOf("lblVerifyResult"), QStringLiteral("Result 1/3"));
    const QString row = f.TextOf("txtVerifyResult");
    QVERIFY2(row.contains(QStringLiteral("\nFileName=")) && !row.contains(QStringLiteral("\nCaption=")), qPrintable(row));
    const std::pair<const char*, const char*> moves[] = {
        {"cmdNext", "Result 2/3"}, {"cmdEnd", "Result 3/3"}, {"cmdPrevious", "Result 2/3"}, {"cmdBegin", "Result 1/3"}};
    for (const auto& [button, label] : moves) {
      f.Click(button);
      QCOMPARE(f.TextOf("lblVerifyResult"), QString::fromLatin1(label));
    }
    f.Click("optDisplayFields_1");
    f.Click("cmdNext");
    QVERIFY(f.TextOf("txtVerifyResult").contains(QStringLiteral("\nCaption=\n")));

    f.Find<QPlainTextEdit>("txtVerifyQuery")->setPlainText(QStringLiteral("select * from Nowhere;"));
    f.Click("cmdVerifyQuery");
    QCOMPARE(f.TextOf("txtVerifyResult"), QString());
  }

  void theCheckLocksTheTabStripsAndEscapeCancelsIt() {
    CheckedWindow f;
    std::filesystem::remove(f.photos / "a.txt");
    const std::vector<const char*> strips = {"TabStripMain", "TabStripVerify"};
    bool lockedWhileRunning = false, cancelled = false, closed = true;
    // The check waits until the window shows its first file: Escape is pressed and the window
    // closed then (refused during a check, it only cancels: WindowOptionsTest).
    auto* shown = f.Find<QLineEdit>("txtCheckedFile");
    QObject::connect(shown, &QLineEdit::textChanged, f.window.get(), [&, pressed = false](const QString& text) mutable {
      if (pressed || text.isEmpty()) return;
      pressed = true;
      lockedWhileRunning = f.EnabledAmong(strips).isEmpty() && f.Hidden("cmdCheck") && !f.Hidden("cmdCancelCheck");
      QTest::keyClick(f.Find("lvCheckedFiles_0"), Qt::Key_Escape);
      cancelled = f.window->CheckCancelRequested();
      closed = f.window->close();
    });
    QVERIFY(f.Check());
    QVERIFY(lockedWhileRunning && cancelled && !closed && f.window->isVisible());
    QVERIFY2(f.Status().startsWith(QStringLiteral("Total files:1 - ")), qPrintable(f.Status()));
    QCOMPARE(f.Files(1), QStringList());  // cancelled before the rows were compared
    QVERIFY(!f.Enabled("cmdDeleteLines"));
    QCOMPARE(f.EnabledAmong(strips, false), QStringList());
    QVERIFY(f.Hidden("cmdCancelCheck"));
  }
};

QTEST_MAIN(WindowVerifyTest)
#include "WindowVerifyTest.moc"
