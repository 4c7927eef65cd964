// The window on an embedded SQLite catalogue of its own: each button reaches its workflow and
// shows what it gives where the user reads it, and a scan or a check locks what it must while it
// runs on its own thread; the catalogue view reads its matches page by page. What the workflows
// and their statements do on each database is tested with them.

#include <QComboBox>
#include <algorithm>
#include <QHeaderView>
#include <QImage>
#include <QMimeData>
#include <QSignalSpy>
#include <QTableView>
#include <QUrl>

#include "gui/ScanTab.h"
#include "gui/VerifyTab.h"
#include "gui/WindowContext.h"
#include "gui/browse/CatalogueBrowser.h"
#include "gui/browse/CatalogueModel.h"
#include "metadata/ImageBytes.h"
#include "support/RecordingUserPort.h"
#include "WindowFixture.h"
#include "workflows/connection/CatalogueTables.h"

using tessarine::test::FindIn;
using tessarine::test::SqliteWindow;
using tessarine::test::WriteFile;

namespace {

std::string Slash(const std::filesystem::path& folder) { return folder.string() + "/"; }

QString Q(const std::filesystem::path& path) { return QString::fromStdString(path.string()); }

// Controls the scan locks, the tab strip and Exit among them.
const std::vector<const char*> kScanLocks = {"TabStripMain", "lblNextStep_5",   "cmdAddFolder",    "cmdRemoveFolder",
                                             "chkThumbnails", "frameThumbnails", "optThumbnails_0", "optThumbnails_1",
                                             "cmdOK",         "lvFolders"};

// Over two pages of rows, as a scan would write them: every other one at the beach, every fifth
// with no title, dates in the IIM and the XMP form; the last lies in a folder not listed, the
// first has a thumbnail. The catalogue view shown.
struct ViewWindow : SqliteWindow {
  static constexpr int kRows = 2 * tessarine::CatalogueModel::kPageSize + 37;
  static std::string Name(int i) { return "p" + std::to_string(1000 + i) + ".jpg"; }

  ViewWindow() : SqliteWindow(true) {
    Sql("insert into Folders values('" + Slash(photos) + "', '', '');");
    Sql("begin;");
    for (int i = 0; i < kRows; ++i) {
      const std::string day = (i % 28 < 9 ? "0" : "") + std::to_string(i % 28 + 1);
      Sql("insert into Images(Folder, FileName, Keywords, ObjectName, Caption, CreatedDate) values('" +
          Slash(i == kRows - 1 ? dir / "other" : photos) + "', '" + Name(i) + "', '" +
          (i % 2 == 0 ? "Beach, sun" : "mountain") + "', '" + (i % 5 == 0 ? "" : "Title " + std::to_string(i % 7)) +
          "', '" + (i == 2 ? "Waves, \"big\"" : "") + "', '" + (i % 2 == 0 ? "202605" : "2026-05-") + day + "');");
    }
    Sql("commit;");
    std::filesystem::create_directories(photos / "_thumbs_");
    QImage thumbnail(160, 120, QImage::Format_RGB888);
    thumbnail.fill(QColor(200, 120, 40));
    thumbnail.save(Q(photos / "_thumbs_" / Name(0)), "JPG");
    ClickTab(5);
    ClickTab(6);
    Find<QTabBar>("TabStripVerify")->setCurrentIndex(2);
  }
  tessarine::CatalogueBrowser* Browser() { return Find<tessarine::CatalogueBrowser>("CatalogueBrowser"); }
  tessarine::CatalogueModel& Model() { return Browser()->Model(); }
  QString Count() const { return TextOf("lblSearchCount"); }
  void Search(const QString& words, const QString& from = {}, const QString& to = {}) {
    SetTexts({{"txtSearchWords", words}, {"txtSearchFrom", from}, {"txtSearchTo", to}});
    Click("cmdSearch");
  }
  int Column(const char* title) {
    for (int c = 0; c < Model().columnCount(); ++c) {
      if (Model().headerData(c, Qt::Horizontal, Qt::DisplayRole).toString() == QLatin1String(title)) return c;
    }
    return -1;
  }
  QVariant Cell(int row, const char* title, int role = Qt::DisplayRole) {
    return Model().data(Model().index(row, Column(title)), role);
  }
  // The texts of a column, every page fetched.
  QStringList Fetched(const char* title) {
    while (Model().canFetchMore({})) Model().fetchMore({});
    QStringList texts;
    for (int row = 0; row < Model().rowCount(); ++row) texts << Cell(row, title).toString();
    return texts;
  }
};

}  // namespace

class WindowCatalogueTest : public QObject {
  Q_OBJECT

 private slots:
  void theTestQueryAndTheTableButtonsShowWhatTheyGiveAndTellTheOtherTabs() {
    SqliteWindow f(false);
    f.ClickTab(2);
    const auto run = [&f](const char* query) {
      f.Find<QPlainTextEdit>("txtQuery")->setPlainText(QString::fromLatin1(query));
      f.Click("cmdTestingQuery");
      return f.TextOf("txtResult");
    };
    QCOMPARE(run("select 6 * 7;"), QStringLiteral("42"));
    QCOMPARE(run("select from nowhere;"), QString());  // an error empties it
    f.ExpectMessages(1, tessarine::MessageIcon::Exclamation);
    QCOMPARE(run("select 1;"), QStringLiteral("1"));

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
    QCOMPARE(f.Sql("select count(*) from Images;"), std::string("0"));

    // Display SQL shows the action's statement in its dialog; a name the action refuses, none.
    f.SetTexts({{"txtTableImages", "Pics"}});
    QString caption, statement;
    f.onDialog = [&](QDialog& dialog) {
      caption = dialog.windowTitle();
      statement = FindIn<QPlainTextEdit>(&dialog, QStringLiteral("txtSQL"))->toPlainText();
    };
    f.Click("cmdCreateTableImages_1");
    tessarine::test::RecordingUserPort port;
    tessarine::Settings settings = f.window->CurrentSettings();
    tessarine::TableNameBoxes boxes{"Folders", "Pics"};
    const auto expected = tessarine::DisplayTableStatement(port, settings, boxes, tessarine::CatalogueTable::Images);
    QVERIFY(expected.has_value());
    QCOMPARE(caption.toStdString(), expected->caption);
    QCOMPARE(statement.toStdString(), expected->statement);
    const std::size_t messages = f.messages.size();
    f.SetTexts({{"txtTableFolders", "My Folders"}});
    f.Click("cmdCreateTableFolders_1");
    QCOMPARE(f.dialogs, (std::vector<QString>{QStringLiteral("frmDisplaySQLStatement")}));
    QCOMPARE(f.messages.size(), messages + 1);
  }

  void theScanLocksTheWindowAndEscapeStopsIt() {
    SqliteWindow f(true, "[Configuration]\nCreateThumbnails=1\n");
    // The folder's one file is read first; the message about its broken packet holds the scan
    // while the window is tried. The subfolder's file comes after it.
    using namespace tessarine::test;
    WriteFile(f.photos / "a.jpg", Jpeg(App1Xmp(Packet("<rdf:Description rdf:about=\"\"><broken"))));
    WriteFile(f.photos / "sub" / "b.txt", "text");
    f.Sql("insert into Folders values('" + Slash(f.photos) + "', '', '');");
    f.ClickTab(5);
    QTreeWidgetItem* row = f.Find<QTreeWidget>("lvFolders")->topLevelItem(0);
    row->setCheckState(0, Qt::Checked);
    f.Find<QListWidget>("sqlOutPut")->addItem(QStringLiteral("earlier"));
    f.Find<QPlainTextEdit>("txtVerifyResult")->setPlainText(QStringLiteral("old row"));

    QStringList stillEnabled;
    bool locked = false, stopRequested = false, closed = true, repainted = false;
    f.onMessage = [&, asked = false](const tessarine::MessageRequest&) mutable {
      if (std::exchange(asked, true)) return;
      stillEnabled = f.EnabledAmong(kScanLocks);
      locked = f.Find("cmdCancel")->isVisible() && f.Hidden("cmdScan") && row->font(0).bold() && !f.Hidden("prgScan");
      // Escape asks the scan to stop; closing is refused while it runs (and counts as Stop:
      // WindowOptionsTest).
      QTest::keyClick(f.Find("lvFolders"), Qt::Key_Escape);
      stopRequested = f.window->StopRequested();
      closed = f.window->close();
      f.window->repaint();  // the scan waits on its own thread: the window is free to paint
      repainted = true;
    };
    QSignalSpy finished(f.window->findChild<tessarine::ScanTab*>(), &tessarine::ScanTab::scanFinished);
    f.Click("cmdScan");
    QVERIFY(finished.wait(60'000));
    QVERIFY(repainted && locked && stopRequested && !closed && f.window->isVisible());
    QCOMPARE(stillEnabled, QStringList());
    QVERIFY(f.Hidden("prgScan") && f.Hidden("lblProgress") && f.TextOf("txtVerifyResult").isEmpty());

    // The list reloaded, the unfinished entry says it was stopped; the elapsed time is the last word.
    row = f.Find<QTreeWidget>("lvFolders")->topLevelItem(0);
    QCOMPARE(row->text(1), QStringLiteral("Stopped"));
    QVERIFY2(f.Status().startsWith(QStringLiteral(" Elapsed time: ")), qPrintable(f.Status()));
    // The log, newest first: the one file read, then what its packet did.
    auto* log = f.Find<QListWidget>("sqlOutPut");
    QCOMPARE(log->count(), 2);
    QVERIFY2(log->item(1)->text().startsWith(QStringLiteral("1 -> ")), qPrintable(log->item(1)->text()));
    QVERIFY2(log->item(0)->text().contains(QStringLiteral("Parsing error")), qPrintable(log->item(0)->text()));
    // Unlocked: everything enabled again but the Scan button, shown until a folder is ticked.
    QCOMPARE(f.EnabledAmong(kScanLocks, false), QStringList());
    QVERIFY(f.Find("cmdScan")->isVisible() && !f.Enabled("cmdScan") && f.Hidden("cmdCancel") && !row->font(0).bold());
    QVERIFY(f.window->close());
  }

  void foldersDroppedOnTheListAreAddedAndThePickerStartsAtTheLastOne() {
    SqliteWindow f(true);
    f.ClickTab(5);
    WriteFile(f.dir / "note.txt", "text");
    auto* viewport = f.Find<QTreeWidget>("lvFolders")->viewport();
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(Q(f.dir / "note.txt")), QUrl(QStringLiteral("https://example.com/photos/")),
                  QUrl::fromLocalFile(Q(f.photos))});
    QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(viewport, &enter);
    QVERIFY(enter.isAccepted());
    QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(viewport, &drop);
    QCOMPARE(f.Sql("select Folder from Folders;"), Slash(f.photos));
    QCOMPARE(f.Find<QTreeWidget>("lvFolders")->topLevelItemCount(), 1);
    // Nothing but files: refused at the door.
    data.setUrls({QUrl::fromLocalFile(Q(f.dir / "note.txt"))});
    QDragEnterEvent refused(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(viewport, &refused);
    QVERIFY(!refused.isAccepted());

    // The picker starts at the last folder added; once it is gone, in Pictures; else at home.
    const std::string last = f.Setting("Window", "LastFolder");
    QCOMPARE(last, f.photos.string());
    const QByteArray home = qgetenv("HOME");
    const QByteArray config = qgetenv("XDG_CONFIG_HOME");
    qputenv("HOME", QByteArray::fromStdString(f.dir.path().string()));
    qputenv("XDG_CONFIG_HOME", QByteArray::fromStdString((f.dir / "config").string()));
    QCOMPARE(tessarine::FolderPickerStart(last), Q(f.photos));
    std::filesystem::remove_all(f.photos);
    QCOMPARE(tessarine::FolderPickerStart(last), Q(f.dir.path()));
    std::filesystem::create_directories(f.dir / "Pictures");
    QCOMPARE(tessarine::FolderPickerStart(last), Q(f.dir / "Pictures"));
    qputenv("HOME", home);
    config.isNull() ? qunsetenv("XDG_CONFIG_HOME") : qputenv("XDG_CONFIG_HOME", config);
  }

  void thePreviewIsResampledToTheScreensPixelsAndTheLogKeepsTheNewestHundredLines() {
    tessarine::test::WindowFixture f;
    tessarine::PreviewImage image;
    image.width = 160;
    image.height = 106;
    image.rgb.assign(std::size_t(160) * 106 * 3, 0);
    f.window->WindowPort().ShowPreview(image);
    QCOMPARE(f.Find<QLabel>("imgDest")->pixmap().deviceIndependentSize().toSize(), QSize(120, 80));
    const QPixmap doubled = tessarine::PreviewPixmap(image, 2.0);
    QCOMPARE(doubled.size(), QSize(240, 160));
    QCOMPARE(doubled.deviceIndependentSize().toSize(), QSize(120, 80));
    image.rgb.resize(10);  // less than its size says: no picture
    QVERIFY(tessarine::PreviewPixmap(image, 2.0).isNull());

    for (int i = 1; i <= 150; ++i) f.window->WindowPort().AddLogLine(std::to_string(i) + " -> file");
    auto* log = f.Find<QListWidget>("sqlOutPut");
    QCOMPARE(log->count(), 100);
    QCOMPARE(log->item(0)->text(), QStringLiteral("150 -> file"));
    QCOMPARE(log->item(99)->text(), QStringLiteral("51 -> file"));
  }

  // Paging and the display modes are the browser's (VerifyOnDatabase); here the buttons reach it.
  void theBrowserButtonsMoveThroughTheRowsInTheChosenMode() {
    SqliteWindow f(true, "", {"a.txt", "b.txt", "sub/c.txt"});
    f.ClickTab(6);
    f.Click("cmdVerifyQuery");
    QCOMPARE(f.TextOf("lblVerifyResult"), QStringLiteral("Result 1/3"));
    QVERIFY(f.TextOf("txtVerifyResult").contains(QStringLiteral("\nFileName=")));
    QVERIFY(!f.TextOf("txtVerifyResult").contains(QStringLiteral("\nCaption=")));
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
    SqliteWindow f(true, "", {"a.txt", "b.txt", "sub/c.txt"});
    f.ClickTab(6);
    std::filesystem::remove(f.photos / "a.txt");
    const std::vector<const char*> strips = {"TabStripMain", "TabStripVerify"};
    bool locked = false, cancelled = false, closed = true;
    // The check waits until the window shows its first file: Escape is pressed and the window
    // closed then (refused during a check, it only cancels: WindowOptionsTest).
    QObject::connect(f.Find<QLineEdit>("txtCheckedFile"), &QLineEdit::textChanged, f.window.get(),
                     [&, pressed = false](const QString& text) mutable {
                       if (text.isEmpty() || std::exchange(pressed, true)) return;
                       locked = f.EnabledAmong(strips).isEmpty() && f.Hidden("cmdCheck") && !f.Hidden("cmdCancelCheck");
                       QTest::keyClick(f.Find("lvCheckedFiles_0"), Qt::Key_Escape);
                       cancelled = f.window->CheckCancelRequested();
                       closed = f.window->close();
                     });
    f.Click("cmdCheck");
    QVERIFY(QTest::qWaitFor([&f] { return f.Hidden("cmdCancelCheck"); }, 60'000));
    QVERIFY(locked && cancelled && !closed && f.window->isVisible());
    QVERIFY2(f.Status().startsWith(QStringLiteral("Total files:1 - ")), qPrintable(f.Status()));
    QCOMPARE(f.Find<QTreeWidget>("lvCheckedFiles_1")->topLevelItemCount(), 0);  // cancelled before the rows
    QVERIFY(!f.Enabled("cmdDeleteLines"));
    QCOMPARE(f.EnabledAmong(strips, false), QStringList());
  }

  void theCatalogueViewReadsPageByPageAndSortsTheWholeSearchByItsHeader() {
    ViewWindow f;
    f.Search(QStringLiteral("beach"));
    const int beach = ViewWindow::kRows / 2 + 1;
    QCOMPARE(f.Count(), QStringLiteral("%1 photos").arg(beach));
    QCOMPARE(f.Model().rowCount(), tessarine::CatalogueModel::kPageSize);
    QCOMPARE(f.Fetched("File").removeDuplicates(), 0);
    QCOMPARE(f.Model().rowCount(), beach);
    // By folder, then file; a row's file as a path on the disk.
    QCOMPARE(f.Model().FilePath(0), f.dir / "other" / ViewWindow::Name(ViewWindow::kRows - 1));
    // The header sorts the whole search again: the first page only, each row once.
    auto* header = f.Find<QTableView>("tblCatalogue")->horizontalHeader();
    header->setSortIndicator(f.Column("Title"), Qt::DescendingOrder);
    QCOMPARE(f.Model().rowCount(), tessarine::CatalogueModel::kPageSize);
    QStringList titles = f.Fetched("Title");
    QCOMPARE(titles.front(), QStringLiteral("Title 6"));
    QVERIFY(std::is_sorted(titles.rbegin(), titles.rend()));
    QCOMPARE(f.Fetched("File").removeDuplicates(), 0);
    QCOMPARE(f.Model().rowCount(), beach);
    header->setSortIndicator(f.Column("File"), Qt::DescendingOrder);
    QCOMPARE(f.Cell(0, "File").toString().toStdString(), ViewWindow::Name(ViewWindow::kRows - 1));

    // A folder of the list; then dates, which the view reads before it searches.
    auto* folders = f.Find<QComboBox>("cboSearchFolder");
    QCOMPARE(folders->count(), 2);
    folders->setCurrentIndex(1);
    f.Search(QStringLiteral("beach"), QStringLiteral("2026-05-01"), QStringLiteral("2026-05-01"));
    QCOMPARE(f.Count(), QStringLiteral("9 photos"));  // i % 28 == 0
    QCOMPARE(f.Cell(0, "Date").toString(), QStringLiteral("2026-05-01"));
    const std::tuple<const char*, const char*, const char*> refused[] = {
        {"2026-13-01", "", "Not a date: '2026-13-01'"}, {"2026-05-02", "2026-05-01", "The first day comes after the last"}};
    for (const auto& [from, to, said] : refused) {
      f.Search(QString(), QString::fromLatin1(from), QString::fromLatin1(to));
      QVERIFY2(f.Status().startsWith(QString::fromLatin1(said)), qPrintable(f.Status()));
      QCOMPARE(f.Count(), QStringLiteral("9 photos"));  // nothing searched
    }

    // A table that cannot be read: said, and the view is empty.
    f.window->CurrentSettings().images = "Missing";
    f.Search(QString());
    QVERIFY(f.Model().rowCount() == 0 && !f.Model().HasSearch() && !f.Enabled("cmdExportCsv"));
    QVERIFY(!f.Status().isEmpty() || !f.messages.empty());
  }

  void theCatalogueViewDrawsThumbnailsAtTheScreensPixelsAndExportsWhatItShows() {
    ViewWindow f;
    f.Model().SetDevicePixelRatio(2.0);
    f.Search(QStringLiteral("beach"));
    f.Find<QTableView>("tblCatalogue")->horizontalHeader()->setSortIndicator(f.Column("File"), Qt::AscendingOrder);
    const auto picture = f.Cell(0, "File", Qt::DecorationRole).value<QPixmap>();
    QCOMPARE(picture.size(), QSize(128, 96));
    QCOMPARE(picture.deviceIndependentSize().toSize(), QSize(64, 48));
    QVERIFY(f.Cell(1, "File", Qt::DecorationRole).isNull());  // no thumbnail

    // For a spreadsheet: a byte order mark, every match, not only the rows read; what each field
    // becomes is CsvExport's.
    const std::filesystem::path file = f.dir / "view.csv";
    f.Browser()->SetExportFileChooser([&] { return file; });
    f.Click("cmdExportCsv");
    const std::string csv = tessarine::test::ReadFile(file);
    QVERIFY(csv.starts_with("\xEF\xBB\xBF" "Folder,File,Title,"));
    QVERIFY(csv.find(",\"Waves, \"\"big\"\"\",") != std::string::npos);
    QVERIFY2(f.Status().startsWith(QStringLiteral("%1 rows written to ").arg(ViewWindow::kRows / 2 + 1)),
             qPrintable(f.Status()));
    f.Browser()->SetExportFileChooser([&] { return f.dir / "none" / "x.csv"; });
    f.Click("cmdExportCsv");
    f.ExpectMessages(1, tessarine::MessageIcon::Exclamation);

    // A scan is about to change the table: the view lets its rows go.
    f.window->findChild<tessarine::VerifyTab*>()->ClearResult();
    QCOMPARE(f.Model().rowCount(), 0);
    QVERIFY(!f.Enabled("cmdExportCsv"));
  }
};

QTEST_MAIN(WindowCatalogueTest)
#include "WindowCatalogueTest.moc"
