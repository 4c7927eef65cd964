// Tab "5 - Scan folders" on the embedded SQLite catalogue: the folder list as the folders table
// holds it, adding and removing folders, and the scan with its lock, observed from inside it.

#include <QImage>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>

#include "WindowFixture.h"

using tessarine::MessageButtons;
using tessarine::test::SqliteWindow;
using tessarine::test::WindowFixture;
using tessarine::test::WriteFile;

namespace {

std::string Slash(const std::filesystem::path& folder) { return folder.string() + "/"; }

// Both tables created, tab 5 shown; the photos folder and its subfolder still unlisted.
struct ScanWindow : SqliteWindow {
  explicit ScanWindow(const std::string& moreSettings = "") : SqliteWindow(true, moreSettings) {
    window->SetFolderChooser([this] { return chosen; });
    ClickTab(5);
  }

  void AddRow(const std::filesystem::path& folder) { Sql("insert into Folders values('" + Slash(folder) + "', '','');"); }
  void Reload() {
    ClickTab(4);
    ClickTab(5);
  }
  QTreeWidget* List() const { return Find<QTreeWidget>("lvFolders"); }
  QTreeWidgetItem* Row(int i) const { return List()->topLevelItem(i); }
  void Tick(int i, bool on) const { Row(i)->setCheckState(0, on ? Qt::Checked : Qt::Unchecked); }
  bool ScanEnabled() const { return Enabled(QStringLiteral("cmdScan")); }
  std::string Count(const char* table) { return Sql(std::string("select count(*) from ") + table + ";"); }

  std::optional<std::string> chosen;
};

bool IsLight(const QColor& color, int hue) {
  return color.hslHue() == hue && color.lightness() > 127 && color.hslSaturation() > 0;
}

// Every control the scan locks, by name.
const char* const kLockedControls[] = {"TabStripMain", "lblNextStep_5", "cmdAddFolder", "cmdRemoveFolder",
                                       "chkThumbnails", "frameThumbnails", "optThumbnails_0", "optThumbnails_1",
                                       "cmdOK", "lvFolders"};

}  // namespace

class WindowScanTest : public QObject {
  Q_OBJECT

 private slots:
  void theListShowsTheFoldersTableAndTicksEnableTheScan() {
    ScanWindow f;
    QVERIFY(f.Find("FrameHelp")->isVisible());
    f.AddRow(f.photos);
    f.AddRow(f.dir / "gone");
    f.Reload();
    const std::vector<tessarine::FolderEntry> entries = f.window->FolderEntries();
    QCOMPARE(f.List()->topLevelItemCount(), 2);
    QCOMPARE(entries.size(), std::size_t(2));
    QCOMPARE(entries[0].folder.Text(), Slash(f.photos));
    for (int i = 0; i < 2; ++i) {
      QCOMPARE(f.Row(i)->text(0).toStdString(), entries[i].folder.Text());
      QCOMPARE(f.Row(i)->text(1).toStdString(), entries[i].status);
    }
    QVERIFY(IsLight(f.Row(1)->foreground(0).color(), 0));  // not on disk: light red
    QVERIFY(!f.Find("FrameHelp")->isVisible());
    QVERIFY(f.Enabled("cmdAddFolder") && f.Enabled("cmdRemoveFolder"));

    QVERIFY(!f.ScanEnabled());
    f.Tick(0, true);
    QVERIFY(f.ScanEnabled());
    f.Tick(1, true);
    f.Tick(0, false);
    QVERIFY(f.ScanEnabled());
    f.Tick(1, false);
    QVERIFY(!f.ScanEnabled());

    // A folders table that cannot be read: said in the status line, add and remove disabled.
    f.Sql("drop table Folders;");
    f.Reload();
    QVERIFY2(f.Status().startsWith(QStringLiteral("Table 'Folders' Error: ")), qPrintable(f.Status()));
    QCOMPARE(f.beeps, 1);
    QVERIFY(!f.Enabled("cmdAddFolder") && !f.Enabled("cmdRemoveFolder"));
    QVERIFY(f.Find("FrameHelp")->isVisible());
  }

  void addingListsAStoredFolderOrASubfolderForOneScan() {
    ScanWindow f;
    auto* log = f.Find<QListWidget>("sqlOutPut");
    log->addItem(QStringLiteral("earlier"));
    f.chosen = f.photos.string();
    f.Click("cmdAddFolder");
    QCOMPARE(log->count(), 0);
    QCOMPARE(f.Sql("select Folder from Folders;"), Slash(f.photos));
    QCOMPARE(f.List()->topLevelItemCount(), 1);
    QCOMPARE(f.Row(0)->checkState(0), Qt::Unchecked);

    // A subfolder of a listed folder: ticked, in light blue, nothing written.
    f.chosen = (f.photos / "sub").string();
    f.Click("cmdAddFolder");
    QCOMPARE(f.List()->topLevelItemCount(), 2);
    QCOMPARE(f.Row(1)->checkState(0), Qt::Checked);
    QVERIFY(IsLight(f.Row(1)->foreground(0).color(), 240));
    QVERIFY(f.window->FolderEntries()[1].IsSubfolderToUpdate());
    QVERIFY(f.Find("lblSubFolder")->isVisible());
    QVERIFY(f.ScanEnabled());
    QCOMPARE(f.Count("Folders"), std::string("1"));
    QVERIFY(f.messages.empty());

    // A folder holding the listed one is refused, and a cancelled choice does nothing: the list stays.
    f.chosen = f.dir.path().string();
    f.Click("cmdAddFolder");
    QCOMPARE(f.messages.size(), std::size_t(1));
    QCOMPARE(f.messages[0].icon, tessarine::MessageIcon::Critical);
    f.chosen.reset();
    f.Click("cmdAddFolder");
    QCOMPARE(f.messages.size(), std::size_t(1));
    QCOMPARE(f.List()->topLevelItemCount(), 2);
    QCOMPARE(f.Count("Folders"), std::string("1"));
  }

  void removingAsksAboutTheSelectedFolderThenReloads() {
    ScanWindow f;
    const auto other = f.dir / "other";
    f.AddRow(f.photos);
    f.AddRow(other);
    f.Reload();

    f.Click("cmdRemoveFolder");
    QCOMPARE(f.messages.back().text, std::string("Select Folder to remove"));

    f.Row(1)->setSelected(true);
    f.answerYes = false;
    f.Click("cmdRemoveFolder");
    QCOMPARE(f.messages.back().text, "Remove folder to scan\r\n" + Slash(other));
    QCOMPARE(f.messages.back().buttons, MessageButtons::YesNo);
    QCOMPARE(f.Count("Folders"), std::string("2"));
    QCOMPARE(f.List()->topLevelItemCount(), 2);

    f.answerYes = true;
    f.Click("cmdRemoveFolder");
    QCOMPARE(f.Sql("select Folder from Folders;"), Slash(f.photos));
    QCOMPARE(f.List()->topLevelItemCount(), 1);

    // The Delete key in the list does as the button.
    f.Row(0)->setSelected(true);
    QTest::keyClick(f.List(), Qt::Key_Delete);
    QCOMPARE(f.messages.back().text, "Remove folder to scan\r\n" + Slash(f.photos));
    QCOMPARE(f.Count("Folders"), std::string("0"));
    QCOMPARE(f.List()->topLevelItemCount(), 0);
    QVERIFY(f.Find("FrameHelp")->isVisible());
  }

  void theScanLocksTheWindowAndClosingCountsAsStop() {
    ScanWindow f("[Configuration]\nCreateThumbnails=1\nReCreateThumbnails=0\n");
    // A 320 x 212 picture gives a 160 x 106 thumbnail, shown as the full 120 x 80 box. It is the
    // folder's only file, so it is the first one read; the subfolder's files come after it.
    QImage picture(320, 212, QImage::Format_RGB888);
    picture.fill(QColor(40, 90, 160));
    QVERIFY(picture.save(QString::fromStdString((f.photos / "a.jpg").string()), "JPG"));
    WriteFile(f.photos / "sub" / "b.txt", "text");
    WriteFile(f.photos / "sub" / "c.txt", "text");
    f.AddRow(f.photos);
    f.Reload();
    f.Tick(0, true);
    f.Find<QListWidget>("sqlOutPut")->addItem(QStringLiteral("earlier"));
    f.Find<QPlainTextEdit>("txtVerifyResult")->setPlainText(QStringLiteral("old row"));

    // Runs at the scan's first turn of the event loop, after the first file.
    QStringList stillEnabled;
    bool stopShown = false, scanHidden = false, bold = false, closed = true;
    QTimer::singleShot(0, f.window.get(), [&] {
      for (const char* name : kLockedControls) {
        if (f.Find(name)->isEnabled()) stillEnabled << QString::fromLatin1(name);
      }
      stopShown = f.Find("cmdCancel")->isVisible();
      scanHidden = f.Find("cmdScan")->isHidden();
      bold = f.Row(0)->font(0).bold();
      closed = f.window->close();
    });
    f.Click("cmdScan");

    QCOMPARE(stillEnabled, QStringList());
    QVERIFY(stopShown && scanHidden && bold);
    QVERIFY(!closed);
    QVERIFY(f.window->isVisible());
    QCOMPARE(f.Find<QLabel>("lblVerifyResult")->text(), QStringLiteral("Result"));
    QCOMPARE(f.Find<QPlainTextEdit>("txtVerifyResult")->toPlainText(), QString());

    // The close stopped the scan after the file in progress; the list was reloaded with the count.
    QCOMPARE(f.Count("Images"), std::string("1"));
    QCOMPARE(f.Row(0)->text(2), QStringLiteral("1"));
    // The reload's connection clears the status line; the elapsed time is written after it.
    QVERIFY2(f.Status().startsWith(QStringLiteral(" Elapsed time: ")), qPrintable(f.Status()));
    QCOMPARE(f.Find<QListWidget>("sqlOutPut")->count(), 1);

    // Unlocked: everything enabled again but the Scan button, shown until a folder is ticked.
    for (const char* name : kLockedControls) QVERIFY2(f.Find(name)->isEnabled(), name);
    QVERIFY(f.Find("cmdScan")->isVisible() && !f.ScanEnabled());
    QVERIFY(f.Find("cmdCancel")->isHidden());
    QVERIFY(!f.Row(0)->font(0).bold());

    // The preview keeps the scan's one image, fitted as Thumbnails.StretchFitsThePreviewBox says.
    QCOMPARE(f.Find<QLabel>("imgDest")->pixmap().size(), QSize(120, 80));
    QVERIFY(f.window->close());
  }

  void theLogKeepsTheNewestHundredLines() {
    WindowFixture f;
    tessarine::WindowUserPort& port = f.window->WindowPort();
    for (int i = 1; i <= 150; ++i) port.AddLogLine(std::to_string(i) + " -> file");
    auto* log = f.Find<QListWidget>("sqlOutPut");
    QCOMPARE(log->count(), 100);
    QCOMPARE(log->item(0)->text(), QStringLiteral("150 -> file"));
    QCOMPARE(log->item(99)->text(), QStringLiteral("51 -> file"));
  }
};

QTEST_MAIN(WindowScanTest)
#include "WindowScanTest.moc"
