// Tab "5 - Scan folders" on the embedded SQLite catalogue: the folder list as the folders table
// holds it, adding and removing folders, and the scan with its lock, observed from inside it.
// The folder-list rules and their messages are FolderList's, tested with it.

#include <QImage>
#include <QMimeData>
#include <QUrl>
#include <QSignalSpy>

#include "WindowFixture.h"
#include "gui/ScanTab.h"
#include "gui/WindowContext.h"

using tessarine::MessageIcon;
using tessarine::MessageRequest;
using tessarine::ScanTab;
using tessarine::test::ReadFile;
using tessarine::test::WriteFile;

namespace {

std::string Slash(const std::filesystem::path& folder) { return folder.string() + "/"; }

// Both tables created, tab 5 shown; the photos folder and its subfolder still unlisted.
struct ScanWindow : tessarine::test::SqliteWindow {
  explicit ScanWindow(const std::string& moreSettings = "") : SqliteWindow(true, moreSettings) {
    window->SetFolderChooser([this] { return chosen; });
    ClickTab(5);
  }

  void AddRows(std::initializer_list<std::filesystem::path> folders) {
    for (const auto& folder : folders) Sql("insert into Folders values('" + Slash(folder) + "', '','');");
    Reload();
  }
  void Reload() {
    ClickTab(4);
    ClickTab(5);
  }
  void Add(std::optional<std::string> folder) {
    chosen = std::move(folder);
    Click("cmdAddFolder");
  }
  QTreeWidget* List() const { return Find<QTreeWidget>("lvFolders"); }
  int Rows() const { return List()->topLevelItemCount(); }
  QTreeWidgetItem* Row(int i) const { return List()->topLevelItem(i); }
  void Tick(int i, bool on) const { Row(i)->setCheckState(0, on ? Qt::Checked : Qt::Unchecked); }
  bool ScanEnabled() const { return Enabled("cmdScan"); }
  bool HelpShown() const { return Find("FrameHelp")->isVisible(); }

  std::optional<std::string> chosen;
};

bool IsLight(const QColor& color, int hue) {
  return color.hslHue() == hue && color.lightness() > 127 && color.hslSaturation() > 0;
}

const std::vector<const char*> kFolderButtons = {"cmdAddFolder", "cmdRemoveFolder"};
const std::vector<const char*> kLockedControls = {"TabStripMain",    "lblNextStep_5",   "cmdAddFolder", "cmdRemoveFolder",
                                                  "chkThumbnails",   "frameThumbnails", "optThumbnails_0",
                                                  "optThumbnails_1", "cmdOK",           "lvFolders"};

// A 320 x 212 picture whose XMP packet is broken: the scan shows a message about it and waits.
void WriteJpegWithBrokenPacket(const std::filesystem::path& file) {
  QImage picture(320, 212, QImage::Format_RGB888);
  picture.fill(QColor(40, 90, 160));
  std::filesystem::create_directories(file.parent_path());
  QVERIFY(picture.save(QString::fromStdString(file.string()), "JPG"));
  const std::string jpeg = ReadFile(file);
  const std::string packet = "<?xpacket begin=\"\" id=\"W5M0MpCehiHzreSzNTczkc9d\"?><x:xmpmeta><broken";
  const std::string app1 = std::string("http://ns.adobe.com/xap/1.0/") + '\0' + packet;
  const std::size_t length = app1.size() + 2;
  WriteFile(file, jpeg.substr(0, 2) + "\xFF\xE1" + static_cast<char>(length >> 8) + static_cast<char>(length & 0xFF) +
                      app1 + jpeg.substr(2));
}

}  // namespace

class WindowScanTest : public QObject {
  Q_OBJECT

 private slots:
  void theListShowsTheFoldersTableAndTicksEnableTheScan() {
    ScanWindow f;
    QVERIFY(f.HelpShown());
    f.AddRows({f.photos, f.dir / "gone"});
    const std::vector<tessarine::FolderEntry> entries = f.window->FolderEntries();
    QVERIFY(f.Rows() == 2 && entries.size() == 2);
    QCOMPARE(entries[0].folder.Text(), Slash(f.photos));
    for (int i = 0; i < 2; ++i) {
      QCOMPARE(f.Row(i)->text(0).toStdString(), entries[i].folder.Text());
      QCOMPARE(f.Row(i)->text(1).toStdString(), entries[i].status);
    }
    QVERIFY(IsLight(f.Row(1)->foreground(0).color(), 0));  // not on disk: light red
    QVERIFY(!f.HelpShown());
    QCOMPARE(f.EnabledAmong(kFolderButtons, false), QStringList());

    const std::pair<int, bool> ticks[] = {{-1, false}, {0, true}, {1, true}, {0, false}, {1, false}};
    for (const auto& [row, on] : ticks) {
      if (row >= 0) f.Tick(row, on);
      QCOMPARE(f.ScanEnabled(), f.Row(0)->checkState(0) == Qt::Checked || f.Row(1)->checkState(0) == Qt::Checked);
    }

    // A folders table that cannot be read: said in the status line, add and remove disabled.
    f.Sql("drop table Folders;");
    f.Reload();
    QVERIFY(!f.Status().isEmpty() && f.beeps == 1 && f.HelpShown());
    QCOMPARE(f.EnabledAmong(kFolderButtons), QStringList());
  }

  void addingListsAStoredFolderOrASubfolderForOneScan() {
    ScanWindow f;
    auto* log = f.Find<QListWidget>("sqlOutPut");
    log->addItem(QStringLiteral("earlier"));
    f.Add(f.photos.string());
    QCOMPARE(log->count(), 0);
    QCOMPARE(f.Sql("select Folder from Folders;"), Slash(f.photos));
    QCOMPARE(f.Rows(), 1);
    QCOMPARE(f.Row(0)->checkState(0), Qt::Unchecked);

    // A subfolder of a listed folder: ticked, in light blue, nothing written.
    f.Add((f.photos / "sub").string());
    QCOMPARE(f.Rows(), 2);
    QCOMPARE(f.Row(1)->checkState(0), Qt::Checked);
    QVERIFY(IsLight(f.Row(1)->foreground(0).color(), 240));
    QVERIFY(f.window->FolderEntries()[1].IsSubfolderToUpdate());
    QVERIFY(f.Find("lblSubFolder")->isVisible() && f.ScanEnabled());
    QVERIFY(f.Count("Folders") == "1" && f.messages.empty());

    // A folder holding the listed one is refused, and a cancelled choice does nothing: the list stays.
    f.Add(f.dir.path().string());
    f.ExpectMessages(1, MessageIcon::Critical);
    f.Add(std::nullopt);
    QCOMPARE(f.messages.size(), std::size_t(1));
    QVERIFY(f.Rows() == 2 && f.Count("Folders") == "1");
  }

  void removingAsksAboutTheSelectedFolderThenReloads() {
    ScanWindow f;
    f.AddRows({f.photos, f.dir / "other"});
    f.Click("cmdRemoveFolder");
    f.ExpectMessages(1, MessageIcon::Information);  // nothing selected

    f.Row(1)->setSelected(true);
    for (bool yes : {false, true}) {
      f.answerYes = yes;
      f.Click("cmdRemoveFolder");
      f.ExpectMessages(yes ? 3 : 2, MessageIcon::Question);
      QVERIFY(f.Rows() == (yes ? 1 : 2) && f.Count("Folders") == (yes ? "1" : "2"));
    }
    QCOMPARE(f.Sql("select Folder from Folders;"), Slash(f.photos));

    // The Delete key in the list does as the button.
    f.Row(0)->setSelected(true);
    QTest::keyClick(f.List(), Qt::Key_Delete);
    f.ExpectMessages(4, MessageIcon::Question);
    QVERIFY(f.Rows() == 0 && f.Count("Folders") == "0" && f.HelpShown());
  }

  void theScanLocksTheWindowAndClosingCountsAsStop() {
    ScanWindow f("[Configuration]\nCreateThumbnails=1\nReCreateThumbnails=0\n");
    // A 320 x 212 picture gives a 160 x 106 thumbnail, shown as the full 120 x 80 box. It is the
    // folder's only file, so it is the first one read; the subfolder's files come after it. The
    // scan waits for the message about its broken packet, and the window is tried then.
    WriteJpegWithBrokenPacket(f.photos / "a.jpg");
    WriteFile(f.photos / "sub" / "b.txt", "text");
    WriteFile(f.photos / "sub" / "c.txt", "text");
    f.AddRows({f.photos});
    f.Tick(0, true);
    f.Find<QListWidget>("sqlOutPut")->addItem(QStringLiteral("earlier"));
    f.Find<QPlainTextEdit>("txtVerifyResult")->setPlainText(QStringLiteral("old row"));

    QStringList stillEnabled;
    bool locked = false, closed = true, repainted = false;
    f.onMessage = [&, asked = false](const MessageRequest&) mutable {
      if (asked) return;
      asked = true;
      stillEnabled = f.EnabledAmong(kLockedControls);
      locked = f.Find("cmdCancel")->isVisible() && f.Hidden("cmdScan") && f.Row(0)->font(0).bold() &&
               f.Find("prgScan")->isVisible();
      closed = f.window->close();
      // The scan waits on its own thread: the window is free to paint.
      f.window->repaint();
      repainted = true;
    };
    QSignalSpy finished(f.window->findChild<ScanTab*>(), &ScanTab::scanFinished);
    f.Click("cmdScan");
    QVERIFY(finished.wait(60'000));
    QVERIFY(repainted);
    QCOMPARE(stillEnabled, QStringList());
    QVERIFY(locked && !closed && f.window->isVisible());
    QVERIFY(f.Hidden("prgScan") && f.Hidden("lblProgress"));
    f.ExpectTexts({{"lblVerifyResult", "Result"}, {"txtVerifyResult", ""}});

    // The close stopped the scan after the file in progress; the list was reloaded, and the
    // unfinished entry keeps its count (none yet) and says it was stopped.
    QCOMPARE(f.Count("Images"), std::string("1"));
    QCOMPARE(f.Row(0)->text(1), QStringLiteral("Stopped"));
    QCOMPARE(f.Row(0)->text(2), QString());
    // The reload's connection clears the status line; the elapsed time is written after it.
    QVERIFY2(f.Status().startsWith(QStringLiteral(" Elapsed time: ")), qPrintable(f.Status()));
    // The log: the one file, and what its packet did (nothing of the subfolder's files).
    auto* log = f.Find<QListWidget>("sqlOutPut");
    QCOMPARE(log->count(), 2);
    QVERIFY2(log->item(1)->text().startsWith(QStringLiteral("1 -> ")), qPrintable(log->item(1)->text()));
    QVERIFY2(log->item(0)->text().contains(QStringLiteral("Parsing error")), qPrintable(log->item(0)->text()));

    // Unlocked: everything enabled again but the Scan button, shown until a folder is ticked.
    QCOMPARE(f.EnabledAmong(kLockedControls, false), QStringList());
    QVERIFY(f.Find("cmdScan")->isVisible() && !f.ScanEnabled() && f.Hidden("cmdCancel") && !f.Row(0)->font(0).bold());

    // The preview keeps the scan's one image, fitted as Thumbnails.StretchFitsThePreviewBox says.
    QCOMPARE(f.Find<QLabel>("imgDest")->pixmap().size(), QSize(120, 80));
    QVERIFY(f.window->close());
  }

  void foldersDroppedOnTheListAreAddedAndThePickerStartsAtTheLastOne() {
    ScanWindow f;
    std::filesystem::create_directories(f.photos);
    WriteFile(f.dir / "note.txt", "text");
    auto* viewport = f.List()->viewport();
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(QString::fromStdString((f.dir / "note.txt").string())),
                  QUrl(QStringLiteral("https://example.com/photos/")),
                  QUrl::fromLocalFile(QString::fromStdString(f.photos.string()))});
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(viewport, &enter);
    QVERIFY(enter.isAccepted());
    QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(viewport, &drop);
    QCOMPARE(f.Sql("select Folder from Folders;"), Slash(f.photos));
    QCOMPARE(f.Rows(), 1);
    QCOMPARE(f.Setting("Window", "LastFolder"), f.photos.string());

    // Nothing but files: refused at the door.
    QMimeData files;
    files.setUrls({QUrl::fromLocalFile(QString::fromStdString((f.dir / "note.txt").string()))});
    QDragEnterEvent refused(QPoint(5, 5), Qt::CopyAction, &files, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(viewport, &refused);
    QVERIFY(!refused.isAccepted());

    // The picker starts at the last folder added; once it is gone, in Pictures; else at home.
    const QByteArray home = qgetenv("HOME");
    const QByteArray config = qgetenv("XDG_CONFIG_HOME");
    qputenv("HOME", QByteArray::fromStdString(f.dir.path().string()));
    qputenv("XDG_CONFIG_HOME", QByteArray::fromStdString((f.dir / "config").string()));
    const std::string last = f.window->CurrentSettings().lastFolder;
    QCOMPARE(tessarine::FolderPickerStart(last), QString::fromStdString(f.photos.string()));
    std::filesystem::remove_all(f.photos);
    QCOMPARE(tessarine::FolderPickerStart(last), QString::fromStdString(f.dir.path().string()));
    std::filesystem::create_directories(f.dir / "Pictures");
    QCOMPARE(tessarine::FolderPickerStart(last), QString::fromStdString((f.dir / "Pictures").string()));
    qputenv("HOME", home);
    config.isNull() ? qunsetenv("XDG_CONFIG_HOME") : qputenv("XDG_CONFIG_HOME", config);
  }

  void escapeStopsTheScanAfterTheFileInProgress() {
    ScanWindow f;
    WriteJpegWithBrokenPacket(f.photos / "a.jpg");
    WriteFile(f.photos / "sub" / "b.txt", "text");
    f.AddRows({f.photos});
    f.Tick(0, true);
    bool stopRequested = false;
    f.onMessage = [&](const MessageRequest&) {
      QTest::keyClick(f.Find("lvFolders"), Qt::Key_Escape);
      stopRequested = f.window->StopRequested();
    };
    QSignalSpy finished(f.window->findChild<ScanTab*>(), &ScanTab::scanFinished);
    f.Click("cmdScan");
    QVERIFY(finished.wait(60'000));
    QVERIFY(stopRequested);
    QCOMPARE(f.Count("Images"), std::string("1"));
    QCOMPARE(f.Row(0)->text(1), QStringLiteral("Stopped"));
  }

  void thePreviewIsResampledStraightToTheScreensPixels() {
    tessarine::PreviewImage image;
    image.width = 160;
    image.height = 106;
    image.rgb.assign(std::size_t(160) * 106 * 3, 0);
    const QPixmap single = tessarine::PreviewPixmap(image, 1.0);
    QCOMPARE(single.size(), QSize(120, 80));
    const QPixmap doubled = tessarine::PreviewPixmap(image, 2.0);
    QCOMPARE(doubled.size(), QSize(240, 160));
    QCOMPARE(doubled.deviceIndependentSize().toSize(), QSize(120, 80));
    QCOMPARE(doubled.devicePixelRatio(), 2.0);
    image.rgb.resize(10);  // less than its size says: no picture
    QVERIFY(tessarine::PreviewPixmap(image, 2.0).isNull());
  }

  void theLogKeepsTheNewestHundredLines() {
    tessarine::test::WindowFixture f;
    for (int i = 1; i <= 150; ++i) f.window->WindowPort().AddLogLine(std::to_string(i) + " -> file");
    auto* log = f.Find<QListWidget>("sqlOutPut");
    QCOMPARE(log->count(), 100);
    QCOMPARE(log->item(0)->text(), QStringLiteral("150 -> file"));
    QCOMPARE(log->item(99)->text(), QStringLiteral("51 -> file"));
  }
};

QTEST_MAIN(WindowScanTest)
#include "WindowScanTest.moc"
