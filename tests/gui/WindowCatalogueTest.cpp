// The window on an embedded SQLite catalogue of its own: each button reaches its workflow and
// shows what it gives where the user reads it, and a scan or a check locks what it must while it
// runs on its own thread; the catalogue view reads its matches page by page. What the workflows
// and their statements do on each database is tested with them.

#include <QComboBox>
#include <QHeaderView>
#include <QImage>
#include <QMimeData>
#include <QSignalSpy>
#include <QTableView>
#include <QUrl>
#include <algorithm>

#include "catalogue/CatalogueStatements.h"
#include "gui/ScanTab.h"
#include "gui/VerifyTab.h"
#include "gui/WindowContext.h"
#include "gui/browse/CatalogueBrowser.h"
#include "gui/browse/CatalogueModel.h"
#include "metadata/ImageBytes.h"
#include "support/ValidName.h"
#include "WindowFixture.h"

using tessarine::test::SqliteWindow;
using tessarine::test::WriteFile;

namespace {

std::string Slash(const std::filesystem::path& folder) { return folder.string() + "/"; }

QString Q(const std::filesystem::path& path) { return QString::fromStdString(path.string()); }

// Over two pages of rows, as a scan would write them: every other one at the beach, every fifth
// with no title, dates in the IIM and the XMP form; the last lies in a folder not listed, the
// first has a thumbnail. The catalogue view shown.
struct ViewWindow : SqliteWindow {
  static constexpr int kRows = 2 * tessarine::CatalogueModel::kPageSize + 37;
  static constexpr int kBeach = kRows / 2 + 1;
  static std::string Name(int i) { return "p" + std::to_string(1000 + i) + ".jpg"; }

  ViewWindow() : SqliteWindow(true) {
    Sql("insert into Folders values('" + Slash(photos) + "', '', '');");
    Sql("begin;");
    for (int i = 0; i < kRows; ++i) {
      const std::string day = (i % 28 < 9 ? "0" : "") + std::to_string(i % 28 + 1);
      Sql("insert into Images(Folder, FileName, Keywords, ObjectName, CreatedDate) values('" +
          Slash(i == kRows - 1 ? dir / "other" : photos) + "', '" + Name(i) + "', '" +
          (i % 2 == 0 ? "Beach, sun" : "mountain") + "', '" + (i % 5 == 0 ? "" : "Title " + std::to_string(i % 7)) +
          "', '" + (i % 2 == 0 ? "202605" : "2026-05-") + day + "');");
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
  tessarine::CatalogueModel& Model() { return Find<tessarine::CatalogueBrowser>("CatalogueBrowser")->Model(); }
  void Search(const QString& words, const QString& from = {}, const QString& to = {}) {
    SetTexts({{"txtSearchWords", words}, {"txtSearchFrom", from}, {"txtSearchTo", to}});
    Click("cmdSearch");
  }
  int Column(const char* title) {
    int c = 0;
    while (c < Model().columnCount() && Model().headerData(c, Qt::Horizontal, Qt::DisplayRole) != title) ++c;
    return c;
  }
  void SortBy(const char* title, Qt::SortOrder order) {
    Find<QTableView>("tblCatalogue")->horizontalHeader()->setSortIndicator(Column(title), order);
  }
  // The texts of a column, every page fetched.
  QStringList Fetched(const char* title) {
    while (Model().canFetchMore({})) Model().fetchMore({});
    QStringList texts;
    for (int row = 0; row < Model().rowCount(); ++row) texts << Model().index(row, Column(title)).data().toString();
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
    f.Find<QPlainTextEdit>("txtQuery")->setPlainText(QStringLiteral("select 6 * 7;"));
    f.Click("cmdTestingQuery");
    QCOMPARE(f.TextOf("txtResult"), QStringLiteral("42"));
    // The folders table: declined, the result stays; created, it goes, and add and remove may be used.
    f.ClickTab(3);
    for (const char* name : {"cmdAddFolder", "cmdRemoveFolder"}) f.Find(name)->setEnabled(false);
    for (bool yes : {false, true}) {
      f.answerYes = yes;
      f.Click("cmdCreateTableFolders_0");
      QCOMPARE(f.TextOf("txtResult").isEmpty(), yes);
      QCOMPARE(f.EnabledAmong({"cmdAddFolder", "cmdRemoveFolder"}).size(), yes ? 2 : 0);
    }
    int loads = 0;
    f.window->SetFolderListLoader([&loads] { ++loads; });
    f.Click("cmdCreateTableImages_0");
    QCOMPARE(loads, 1);  // the list is reloaded
    QCOMPARE(f.Sql("select count(*) from Images;"), std::string("0"));
    // Display SQL shows the statement for the name in the box, in its dialog.
    f.SetTexts({{"txtTableImages", "Pics"}});
    QString statement;
    f.onDialog = [&statement](QDialog& dialog) { statement = dialog.findChild<QPlainTextEdit*>()->toPlainText(); };
    f.Click("cmdCreateTableImages_1");
    QCOMPARE(f.dialogs, (std::vector<QString>{QStringLiteral("frmDisplaySQLStatement")}));
    const auto& sqlite = tessarine::SqlDialectFor(tessarine::DbmsKind::Sqlite);
    QCOMPARE(statement.toStdString(), tessarine::ImagesTableStatement(tessarine::test::ValidName("Pics"), sqlite));
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
    const std::vector<const char*> locks = {"TabStripMain",    "lblNextStep_5",   "cmdAddFolder", "cmdRemoveFolder",
                                            "chkThumbnails",   "frameThumbnails", "optThumbnails_0",
                                            "optThumbnails_1", "cmdOK",           "lvFolders"};
    bool lockedAndStopped = false;
    f.onMessage = [&, asked = false](const tessarine::MessageRequest&) mutable {
      if (std::exchange(asked, true)) return;
      lockedAndStopped = f.EnabledAmong(locks).isEmpty() && !f.Hidden("cmdCancel") && f.Hidden("cmdScan") &&
               row->font(0).bold() && !f.Hidden("prgScan");
      // Escape asks the scan to stop; the scan waits on its own thread: the window is free to paint.
      QTest::keyClick(f.Find("lvFolders"), Qt::Key_Escape);
      lockedAndStopped = lockedAndStopped && f.window->StopRequested();
      f.window->repaint();
    };
    QSignalSpy finished(f.window->findChild<tessarine::ScanTab*>(), &tessarine::ScanTab::scanFinished);
    f.Click("cmdScan");
    QVERIFY(finished.wait(60'000));
    QVERIFY(lockedAndStopped);
    QVERIFY(f.Hidden("prgScan") && f.Hidden("lblProgress") && f.TextOf("txtVerifyResult").isEmpty());
    // The list reloaded, the unfinished entry says it was stopped; the elapsed time is the last
    // word; the log holds the one file read and what its packet did.
    row = f.Find<QTreeWidget>("lvFolders")->topLevelItem(0);
    QCOMPARE(row->text(1), QStringLiteral("Stopped"));
    QVERIFY2(f.Status().startsWith(QStringLiteral(" Elapsed time: ")), qPrintable(f.Status()));
    QCOMPARE(f.Find<QListWidget>("sqlOutPut")->count(), 2);
    // Unlocked: everything enabled again but the Scan button, shown until a folder is ticked.
    QCOMPARE(f.EnabledAmong(locks, false), QStringList());
    QVERIFY(!f.Hidden("cmdScan") && !f.Enabled("cmdScan") && f.Hidden("cmdCancel") && !row->font(0).bold());
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
    qputenv("HOME", QByteArray::fromStdString(f.dir.path().string()));
    qputenv("XDG_CONFIG_HOME", QByteArray::fromStdString((f.dir / "config").string()));
    QCOMPARE(tessarine::FolderPickerStart(last), Q(f.photos));
    std::filesystem::remove_all(f.photos);
    QCOMPARE(tessarine::FolderPickerStart(last), Q(f.dir.path()));
    std::filesystem::create_directories(f.dir / "Pictures");
    QCOMPARE(tessarine::FolderPickerStart(last), Q(f.dir / "Pictures"));
    qputenv("HOME", home);
    qunsetenv("XDG_CONFIG_HOME");
  }

  void thePreviewIsResampledToTheScreensPixelsAndTheLogKeepsTheNewestHundredLines() {
    tessarine::test::WindowFixture f;
    tessarine::PreviewImage image{160, 106, std::vector<std::uint8_t>(160 * 106 * 3)};
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

  // Paging and the display modes are the browser's, what the check finds the check's
  // (VerifyOnDatabase); here the buttons reach them, and the check locks the tab strips.
  void theBrowserButtonsAndTheCheckWhichEscapeCancels() {
    SqliteWindow f(true, "", {"a.txt", "b.txt", "sub/c.txt"});
    f.ClickTab(6);
    f.Click("cmdVerifyQuery");
    QCOMPARE(f.TextOf("lblVerifyResult"), QStringLiteral("Result 1/3"));
    QVERIFY(!f.TextOf("txtVerifyResult").contains(QStringLiteral("\nCaption=")));
    const std::pair<const char*, const char*> moves[] = {{"cmdNext", "Result 2/3"}, {"cmdEnd", "Result 3/3"},
                                                         {"cmdPrevious", "Result 2/3"}, {"cmdBegin", "Result 1/3"},
                                                         {"optDisplayFields_1", "Result 1/3"}, {"cmdNext", "Result 2/3"}};
    for (const auto& [button, label] : moves) {
      f.Click(button);
      QCOMPARE(f.TextOf("lblVerifyResult"), QString::fromLatin1(label));
    }
    QVERIFY(f.TextOf("txtVerifyResult").contains(QStringLiteral("\nCaption=\n")));

    // The check waits until the window shows its first file: Escape is pressed then.
    std::filesystem::remove(f.photos / "a.txt");
    const std::vector<const char*> strips = {"TabStripMain", "TabStripVerify"};
    bool lockedAndCancelled = false;
    QObject::connect(f.Find<QLineEdit>("txtCheckedFile"), &QLineEdit::textChanged, f.window.get(),
                     [&, pressed = false](const QString& text) mutable {
                       if (text.isEmpty() || std::exchange(pressed, true)) return;
                       lockedAndCancelled =
                           f.EnabledAmong(strips).isEmpty() && f.Hidden("cmdCheck") && !f.Hidden("cmdCancelCheck");
                       QTest::keyClick(f.Find("lvCheckedFiles_0"), Qt::Key_Escape);
                       lockedAndCancelled = lockedAndCancelled && f.window->CheckCancelRequested();
                     });
    f.Click("cmdCheck");
    QVERIFY(QTest::qWaitFor([&f] { return f.Hidden("cmdCancelCheck"); }, 60'000));
    QVERIFY(lockedAndCancelled);
    QVERIFY2(f.Status().startsWith(QStringLiteral("Total files:1 - ")), qPrintable(f.Status()));
    QCOMPARE(f.Find<QTreeWidget>("lvCheckedFiles_1")->topLevelItemCount(), 0);  // cancelled before the rows
    QVERIFY(!f.Enabled("cmdDeleteLines"));
    QCOMPARE(f.EnabledAmong(strips, false), QStringList());
  }

  void theCatalogueViewReadsPageByPageAndSortsTheWholeSearchByItsHeader() {
    ViewWindow f;
    f.Search(QStringLiteral("beach"));
    QCOMPARE(f.TextOf("lblSearchCount"), QStringLiteral("%1 photos").arg(ViewWindow::kBeach));
    // By folder, then file: a row's file as a path on the disk.
    QCOMPARE(f.Model().FilePath(0), f.dir / "other" / ViewWindow::Name(ViewWindow::kRows - 1));
    // The header sorts the whole search again: the first page at once, the rest as the view
    // scrolls, each row once.
    for (const char* title : {"File", "Title"}) {
      f.SortBy(title, Qt::DescendingOrder);
      QCOMPARE(f.Model().rowCount(), tessarine::CatalogueModel::kPageSize);
      const QStringList texts = f.Fetched(title);
      QVERIFY(std::is_sorted(texts.rbegin(), texts.rend()));
      QStringList files = f.Fetched("File");
      QCOMPARE(files.removeDuplicates(), 0);
      QCOMPARE(files.size(), ViewWindow::kBeach);
    }
    // A folder of the list; then dates, which the view reads before it searches.
    auto* folders = f.Find<QComboBox>("cboSearchFolder");
    QCOMPARE(folders->count(), 2);
    folders->setCurrentIndex(1);
    f.Search(QStringLiteral("beach"), QStringLiteral("2026-05-01"), QStringLiteral("2026-05-01"));
    QCOMPARE(f.TextOf("lblSearchCount"), QStringLiteral("9 photos"));  // i % 28 == 0
    const std::tuple<const char*, const char*, const char*> refused[] = {
        {"2026-13-01", "", "Not a date: '2026-13-01'"}, {"2026-05-02", "2026-05-01", "The first day comes after the last"}};
    for (const auto& [from, to, said] : refused) {
      f.Search(QString(), QString::fromLatin1(from), QString::fromLatin1(to));
      QVERIFY2(f.Status().startsWith(QString::fromLatin1(said)), qPrintable(f.Status()));
      QCOMPARE(f.TextOf("lblSearchCount"), QStringLiteral("9 photos"));  // nothing searched
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
    f.SortBy("File", Qt::AscendingOrder);
    const auto picture = f.Model().index(0, f.Column("File")).data(Qt::DecorationRole).value<QPixmap>();
    QCOMPARE(picture.size(), QSize(128, 96));
    QCOMPARE(picture.deviceIndependentSize().toSize(), QSize(64, 48));
    QVERIFY(f.Model().index(1, f.Column("File")).data(Qt::DecorationRole).isNull());  // no thumbnail
    // A date stored the IIM way is shown as the XMP way is stored, one form for both.
    QCOMPARE(f.Model().index(0, f.Column("Date")).data().toString(), QStringLiteral("2026-05-01"));

    // For a spreadsheet: a byte order mark, every match, not only the rows read; what each field
    // becomes is CsvExport's. A place that cannot be written is said.
    auto* browser = f.Find<tessarine::CatalogueBrowser>("CatalogueBrowser");
    browser->SetExportFileChooser([&f] { return f.dir / "view.csv"; });
    f.Click("cmdExportCsv");
    QVERIFY(tessarine::test::ReadFile(f.dir / "view.csv").starts_with("\xEF\xBB\xBF" "Folder,File,Title,"));
    QVERIFY2(f.Status().startsWith(QStringLiteral("%1 rows written to ").arg(ViewWindow::kBeach)), qPrintable(f.Status()));
    browser->SetExportFileChooser([&f] { return f.dir / "none" / "x.csv"; });
    f.Click("cmdExportCsv");
    f.ExpectMessages(1, tessarine::MessageIcon::Exclamation);
    // A scan is about to change the table: the view lets its rows go.
    f.window->findChild<tessarine::VerifyTab*>()->ClearResult();
    QVERIFY(f.Model().rowCount() == 0 && !f.Enabled("cmdExportCsv"));
  }
};

QTEST_MAIN(WindowCatalogueTest)
#include "WindowCatalogueTest.moc"
