// Tab "5 - Scan folders" on the embedded SQLite catalogue: folders dropped on the list, and the
// scan with its lock, observed from inside it. Listing, adding and removing folders are
// FolderList's, tested with it.

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
  QTreeWidget* List() const { return Find<QTreeWidget>("lvFolders"); }
  int Rows() const { return List()->topLevelItemCount(); }
  QTreeWidgetItem* Row(int i) const { return List()->topLevelItem(i); }
  void Tick(int i, bool on) const { Row(i)->setCheckState(0, on ? Qt::Checked : Qt::Unchecked); }
  bool ScanEnabled() const { return Enabled("cmdScan"); }

  std::optional<std::string> chosen;
};

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
  void theScanLocksTheWindowAndEscapeStopsIt() {
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
    bool locked = false, stopRequested = false, closed = true, repainted = false;
    f.onMessage = [&, asked = false](const MessageRequest&) mutable {
      if (asked) return;
      asked = true;
      stillEnabled = f.EnabledAmong(kLockedControls);
      locked = f.Find("cmdCancel")->isVisible() && f.Hidden("cmdScan") && f.Row(0)->font(0).bold() &&
               f.Find("prgScan")->isVisible();
      // Escape asks the scan to stop; closing is refused while it runs (and counts as Stop:
      // WindowOptionsTest).
      QTest::keyClick(f.Find("lvFolders"), Qt::Key_Escape);
      stopRequested = f.window->StopRequested();
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
    QVERIFY(locked && stopRequested && !closed && f.window->isVisible());
    QVERIFY(f.Hidden("prgScan") && f.Hidden("lblProgress"));
    f.ExpectTexts({{"lblVerifyResult", "Result"}, {"txtVerifyResult", ""}});

    // The scan stopped after the file in progress; the list was reloaded, and the
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
