// Tab "5 - Scan folders" against the embedded SQLite catalogue: the folder list, adding and
// removing folders, and the scan with its window lock, observed from inside the scan.

#include <QImage>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>
#include <QTreeWidget>

#include "core/WindowTitle.h"
#include "support/SqliteCatalogue.h"
#include "WindowFixture.h"

using tessarine::MessageButtons;
using tessarine::MessageIcon;
using tessarine::test::WindowFixture;
using tessarine::test::WriteFile;

namespace {

std::string Slash(const std::filesystem::path& folder) { return folder.string() + "/"; }

// The window on a SQLite catalogue with both tables, showing tab 5; a photos folder beside it.
struct ScanWindow : WindowFixture {
  explicit ScanWindow(const std::string& moreSettings = "") {
    tessarine::test::WriteSqliteSettings(settingsFile, moreSettings);
    tessarine::test::CreateSqliteCatalogue(settingsFile);
    std::filesystem::create_directories(photos / "sub");
    Open();
    window->SetFolderChooser([this] { return chosen; });
    ClickTab(5);
  }
  ~ScanWindow() { catalogue.CloseConnection(); }

  tessarine::CatalogueConnection& Catalogue() {
    if (!catalogue.IsOpen()) catalogue.OpenConnection(tessarine::DataSourceOf(tessarine::LoadSettings(settingsFile), true));
    return catalogue;
  }
  // The first value of the first row, "" without one.
  std::string Sql(const std::string& sql) {
    auto rows = Catalogue().ExecuteStatement(sql);
    if (!rows || rows->IsEof()) return {};
    return rows->FieldValue(0).value_or("");
  }
  void AddRow(const std::filesystem::path& folder) { Sql("insert into Folders values('" + Slash(folder) + "', '','');"); }
  void Reload() {
    ClickTab(4);
    ClickTab(5);
  }

  QTreeWidget* List() const { return Find<QTreeWidget>("lvFolders"); }
  QTreeWidgetItem* Row(int i) const { return List()->topLevelItem(i); }
  void Tick(int i, bool on) const { Row(i)->setCheckState(0, on ? Qt::Checked : Qt::Unchecked); }
  bool ScanEnabled() const { return Find<QPushButton>("cmdScan")->isEnabled(); }
  QString Status() const { return Find<QLabel>("lblStatus")->text(); }

  tessarine::test::RecordingUserPort port;
  tessarine::CatalogueConnection catalogue;
  std::filesystem::path photos = dir / "photos";
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
    QCOMPARE(f.List()->topLevelItemCount(), 2);
    QCOMPARE(f.Row(0)->text(0).toStdString(), Slash(f.photos));
    QCOMPARE(f.Row(0)->text(1), QStringLiteral("OK"));
    QCOMPARE(f.Row(1)->text(1), QStringLiteral("Unknown"));
    QVERIFY(IsLight(f.Row(1)->foreground(0).color(), 0));  // light red
    QVERIFY(!f.Find("FrameHelp")->isVisible());
    QVERIFY(f.Find("cmdAddFolder")->isEnabled() && f.Find("cmdRemoveFolder")->isEnabled());

    QVERIFY(!f.ScanEnabled());
    f.Tick(0, true);
    QVERIFY(f.ScanEnabled());
    f.Tick(1, true);
    f.Tick(0, false);
    QVERIFY(f.ScanEnabled());
    f.Tick(1, false);
    QVERIFY(!f.ScanEnabled());

    // Without the folders table: the error in the status line, a beep, add and remove disabled.
    f.Sql("drop table Folders;");
    f.Reload();
    QVERIFY(f.Status().startsWith(QStringLiteral("Table 'Folders' Error: ")));
    QCOMPARE(f.beeps, 1);
    QVERIFY(!f.Find("cmdAddFolder")->isEnabled() && !f.Find("cmdRemoveFolder")->isEnabled());
    QVERIFY(f.Find("FrameHelp")->isVisible());
  }

  void addingStoresAFolderAndListsASubfolderForOneScan() {
    ScanWindow f;
    auto* log = f.Find<QListWidget>("sqlOutPut");
    log->addItem(QStringLiteral("earlier"));
    f.chosen = f.photos.string();
    f.Click("cmdAddFolder");
    QCOMPARE(log->count(), 0);
    QCOMPARE(f.Sql("select Folder from Folders;"), Slash(f.photos));
    QCOMPARE(f.List()->topLevelItemCount(), 1);
    QCOMPARE(f.Row(0)->checkState(0), Qt::Unchecked);

    f.chosen = (f.photos / "sub").string();
    f.Click("cmdAddFolder");
    QCOMPARE(f.List()->topLevelItemCount(), 2);
    QCOMPARE(f.Row(1)->checkState(0), Qt::Checked);
    QVERIFY(IsLight(f.Row(1)->foreground(0).color(), 240));  // light blue
    QCOMPARE(f.window->FolderEntries()[1].tag, std::string("1"));
    QVERIFY(f.Find("lblSubFolder")->isVisible());
    QVERIFY(f.ScanEnabled());
    QCOMPARE(f.Sql("select count(*) from Folders;"), std::string("1"));  // nothing written
    QVERIFY(f.messages.empty());

    // The listed folder again, or a folder holding it: refused with the listed entry's text.
    for (const auto& refused : {f.photos, f.dir.path()}) {
      f.chosen = refused.string();
      f.Click("cmdAddFolder");
      QCOMPARE(f.messages.back().text, "Subfolder already in list\r\n" + Slash(f.photos));
      QCOMPARE(f.messages.back().icon, MessageIcon::Critical);
      QCOMPARE(f.messages.back().title, std::string(tessarine::kWindowTitle));
    }
    f.chosen = "/";
    f.Click("cmdAddFolder");
    QCOMPARE(f.messages.back().text, std::string("Forbidden Folder\r\n/"));
    QCOMPARE(f.messages.size(), std::size_t(3));
    f.chosen.reset();  // cancelled
    f.Click("cmdAddFolder");
    QCOMPARE(f.messages.size(), std::size_t(3));
    QCOMPARE(f.List()->topLevelItemCount(), 2);
    QCOMPARE(f.Sql("select count(*) from Folders;"), std::string("1"));
  }

  void removingAsksThenDeletesTheFolderAndItsRows() {
    ScanWindow f;
    const auto other = f.dir / "other";
    f.AddRow(f.photos);
    f.AddRow(other);
    f.Sql("insert into Images (Folder, FileName, ModifyTime) values('" + Slash(f.photos / "sub") + "', 'a.jpg', 1);");
    f.Sql("insert into Images (Folder, FileName, ModifyTime) values('" + Slash(other) + "', 'b.jpg', 1);");
    f.Reload();

    f.Click("cmdRemoveFolder");
    QCOMPARE(f.messages.back().text, std::string("Select Folder to remove"));
    QCOMPARE(f.messages.back().icon, MessageIcon::Information);

    f.Row(0)->setSelected(true);
    f.answerYes = false;
    f.Click("cmdRemoveFolder");
    QCOMPARE(f.messages.back().text, "Remove folder to scan\r\n" + Slash(f.photos));
    QCOMPARE(f.messages.back().buttons, MessageButtons::YesNo);
    QCOMPARE(f.Sql("select count(*) from Folders;"), std::string("2"));

    f.answerYes = true;
    f.Click("cmdRemoveFolder");
    QCOMPARE(f.Sql("select count(*) from Folders;"), std::string("1"));
    QCOMPARE(f.Sql("select Folder from Images;"), Slash(other));  // the subfolder's row went too
    QCOMPARE(f.List()->topLevelItemCount(), 1);

    // The Delete key in the list asks the same question.
    const std::size_t asked = f.messages.size();
    f.Row(0)->setSelected(true);
    QTest::keyClick(f.List(), Qt::Key_Delete);
    QCOMPARE(f.messages.size(), asked + 1);
    QCOMPARE(f.messages.back().text, "Remove folder to scan\r\n" + Slash(other));
    QCOMPARE(f.List()->topLevelItemCount(), 0);
    QCOMPARE(f.Sql("select count(*) from Images;"), std::string("0"));
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

    // Stopped after the file in progress, before the subfolder: one row of three, counted and dated.
    QCOMPARE(f.Sql("select count(*) from Images;"), std::string("1"));
    QCOMPARE(f.Row(0)->text(2), QStringLiteral("1"));
    QCOMPARE(f.Row(0)->text(3).size(), 19);
    QVERIFY(f.Status().startsWith(QStringLiteral(" Elapsed time: ")));
    QCOMPARE(f.Find<QListWidget>("sqlOutPut")->count(), 1);
    QVERIFY(f.Find<QListWidget>("sqlOutPut")->item(0)->text().startsWith(QStringLiteral("1 -> ")));

    // Unlocked: everything enabled again but the Scan button, shown until a folder is ticked.
    for (const char* name : kLockedControls) QVERIFY2(f.Find(name)->isEnabled(), name);
    QVERIFY(f.Find("cmdScan")->isVisible() && !f.ScanEnabled());
    QVERIFY(f.Find("cmdCancel")->isHidden());
    QVERIFY(!f.Row(0)->font(0).bold());

    // The preview keeps the thumbnail of the scan's one image, fitted as Thumbnails.StretchFitsThePreviewBox says.
    const QPixmap preview = f.Find<QLabel>("imgDest")->pixmap();
    QCOMPARE(preview.size(), QSize(120, 80));
    QVERIFY(std::filesystem::exists(f.photos / "_thumbs_" / "a.jpg"));
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
