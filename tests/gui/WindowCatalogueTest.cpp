// The window on an embedded SQLite catalogue of its own: each button reaches its workflow and
// shows what it gives where the user reads it, and a scan or a check locks what it must while it
// runs on its own thread; the catalogue view reads its matches page by page. What the workflows
// and their statements give on each database is tested with them.

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QGuiApplication>
#include <QMenu>
#include <QHeaderView>
#include <QImage>
#include <QMessageBox>
#include <QMimeData>
#include <QListWidget>
#include <QTableView>
#include <QTextBrowser>
#include <QTimer>
#include <QUrl>
#include <algorithm>

#include "gui/ScanTab.h"
#include "gui/WindowContext.h"
#include "gui/browse/CatalogueBrowser.h"
#include "gui/browse/CatalogueModel.h"
#include "metadata/ImageBytes.h"
#include "workflows/browse/ViewColumns.h"
#include "WindowFixture.h"

using tessarine::test::SqliteWindow;
using tessarine::test::WriteFile;

namespace {

std::string Slash(const std::filesystem::path& folder) { return folder.string() + "/"; }

QString Q(const std::filesystem::path& path) { return QString::fromStdString(path.string()); }

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
    f.ClickAndWaitForScan("cmdScan");
    QVERIFY(lockedAndStopped);
    // What the scan did stays where its progress was.
    QVERIFY(f.Hidden("prgScan") && f.TextOf("txtVerifyResult").isEmpty());
    QVERIFY2(f.TextOf("lblProgress").startsWith(QStringLiteral("Stopped: 1 file read, 1 row written;")),
             qPrintable(f.TextOf("lblProgress")));
    // The list reloaded, the unfinished entry says it was stopped and shows the rows it holds; the
    // elapsed time is the last word; the log holds the one file read and what its packet did.
    row = f.Find<QTreeWidget>("lvFolders")->topLevelItem(0);
    QCOMPARE(row->text(1) + "|" + row->text(2), QStringLiteral("Stopped|1"));
    QVERIFY2(f.Status().startsWith(QStringLiteral(" Elapsed time: ")), qPrintable(f.Status()));
    QCOMPARE(f.Find<QListWidget>("sqlOutPut")->count(), 2);
    // Unlocked: everything enabled again but the Scan button, shown until a folder is ticked.
    QCOMPARE(f.EnabledAmong(locks, false), QStringList());
    QVERIFY(!f.Hidden("cmdScan") && !f.Enabled("cmdScan") && f.Hidden("cmdCancel") && !row->font(0).bold());
  }

  // Ticked in the settings, the watch starts once the list is read; a folder added and the
  // window's own scan stop it and start it again after; unticked, it stops. What it does is
  // CatalogueWatch's.
  void theLiveWatchGivesWayToTheWindowsChanges() {
    SqliteWindow f(true, "[Configuration]\nKeepCatalogueCurrent=1\n");
    WriteFile(f.photos / "a.jpg", "x");
    f.window->SetFolderChooser([&f] { return f.photos.string(); });
    f.ClickTab(5);
    f.Click("cmdAddFolder");
    auto* log = f.Find<QListWidget>("sqlOutPut");
    const auto said = [log](const char* line) { return log->findItems(QString::fromLatin1(line), Qt::MatchStartsWith).size(); };
    QTRY_COMPARE_WITH_TIMEOUT(said("1 files catalogued in "), 1, 20'000);
    f.Find<QTreeWidget>("lvFolders")->topLevelItem(0)->setCheckState(0, Qt::Checked);
    f.ClickAndWaitForScan("cmdScan");
    QVERIFY2(f.messages.empty() && f.Status().startsWith(QStringLiteral(" Elapsed time: ")), qPrintable(f.Status()));
    QTRY_COMPARE_WITH_TIMEOUT(said("Watching 1 folders"), 1, 20'000);
    QCOMPARE(said("Stopped watching."), 1);
    f.Click("chkKeepCurrent");
    QTRY_COMPARE_WITH_TIMEOUT(said("Stopped watching."), 2, 20'000);
    QCOMPARE(f.Setting("Configuration", "KeepCatalogueCurrent"), std::string("0"));
  }

  void foldersDroppedOnTheListAreAddedAndThePickerStartsAtTheLastOne() {
    SqliteWindow f(true);
    f.ClickTab(5);
    WriteFile(f.dir / "note.txt", "text");
    auto* viewport = f.Find<QTreeWidget>("lvFolders")->viewport();
    // A file, a remote folder and a folder: the folder is added. Nothing but files: refused at the door.
    QMimeData data;
    const QUrl note = QUrl::fromLocalFile(Q(f.dir / "note.txt"));
    for (bool folder : {true, false}) {
      const QUrl remote(QStringLiteral("https://example.com/photos/"));
      data.setUrls(folder ? QList<QUrl>{note, remote, QUrl::fromLocalFile(Q(f.photos))} : QList<QUrl>{note});
      QDragEnterEvent enter(QPoint(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
      QCoreApplication::sendEvent(viewport, &enter);
      QCOMPARE(enter.isAccepted(), folder);
      QDropEvent drop(QPointF(5, 5), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
      QCoreApplication::sendEvent(viewport, &drop);
      QCOMPARE(f.Find<QTreeWidget>("lvFolders")->topLevelItemCount(), 1);  // reloaded from the table
    }
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
    QVERIFY(doubled.size() == QSize(240, 160) && doubled.deviceIndependentSize().toSize() == QSize(120, 80));
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
    // A catalogue that holds photos opens on them (an empty one opens on the first tab).
    QVERIFY(f.ShownFrame() == 7 && f.TextOf("lblSearchCount") == QStringLiteral("3 photos"));
    f.ClickTab(6);
    f.Click("cmdVerifyQuery");
    QCOMPARE(f.TextOf("lblVerifyResult"), QStringLiteral("Result 1/3"));
    QVERIFY(!f.TextOf("txtVerifyResult").contains(QStringLiteral("\nCaption=")));
    const std::pair<const char*, const char*> moves[] = {{"cmdEnd", "Result 3/3"}, {"cmdPrevious", "Result 2/3"},
                                                         {"cmdBegin", "Result 1/3"}, {"optDisplayFields_1", "Result 1/3"},
                                                         {"cmdNext", "Result 2/3"}};
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
    QVERIFY(!f.Enabled("cmdDeleteLines") && f.EnabledAmong(strips, false).isEmpty());
  }

  // "Scan their folders" after a check: tab 5 scans the listed folder that holds the file without
  // a row. "Remove folder" then asks in a message box whose check box moves the thumbnails too.
  void theCheckScansTheFoldersOfFilesWithoutRowsAndRemovingAFolderCanTrashItsThumbnails() {
    SqliteWindow f(true, "", {"a.txt"});
    WriteFile(f.photos / "sub" / "new.txt", "new");
    std::filesystem::create_directories(f.photos / "sub" / "_thumbs_");
    f.ClickTab(6);
    f.Click("cmdCheck");
    QVERIFY(QTest::qWaitFor([&f] { return f.Enabled("cmdScanFileFolders"); }, 60'000));
    f.ClickAndWaitForScan("cmdScanFileFolders");
    QCOMPARE(f.ShownFrame(), 5);
    QCOMPARE(f.Sql("select count(*) from Images where FileName='new.txt';"), std::string("1"));

    f.window->WindowPort().SetMessageAnswerer({});
    QString asked;
    QTimer answer;
    QObject::connect(&answer, &QTimer::timeout, [&] {
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      if (box == nullptr) return;
      asked = box->text();
      // Any other box (a refusal) is closed: the comparison below then fails rather than wait.
      if (box->checkBox() == nullptr) {
        box->close();
        return;
      }
      box->checkBox()->setChecked(true);
      box->button(QMessageBox::Yes)->click();
    });
    answer.start(50);
    f.Find<QTreeWidget>("lvFolders")->topLevelItem(0)->setSelected(true);
    f.Click("cmdRemoveFolder");
    QCOMPARE(asked, "Remove " + Q(f.photos) + "/ from the list and its 2 rows from the catalogue?");
    QVERIFY(!std::filesystem::exists(f.photos / "sub" / "_thumbs_"));
  }

  // Over two pages of rows as a scan writes them: every other one at the beach, every fifth with
  // no title, dates in the IIM and the XMP form; the last lies in a folder not listed, the first
  // has a thumbnail. Which rows a search gives, in which order, is CatalogueSearch's (SearchOn).
  void theCatalogueViewReadsPageByPageSortsByItsHeaderAndExportsWhatItShows() {
    SqliteWindow f(true);
    constexpr int kPage = tessarine::CatalogueModel::kPageSize;
    constexpr int kRows = 2 * kPage + 37;
    constexpr int kBeach = kRows / 2 + 1;
    f.Sql("insert into Folders values('" + Slash(f.photos) + "', '', '');");
    f.Sql("with recursive n(i) as (select 0 union all select i + 1 from n where i < " + std::to_string(kRows - 1) +
          ") insert into Images(Folder, FileName, Keywords, ObjectName, CreatedDate) select '" + Slash(f.photos) +
          "', 'p' || (1000 + i) || '.jpg', iif(i % 2, 'mountain', 'Beach, sun'), iif(i % 5, 'Title ' || i % 7, ''), "
          "iif(i % 2, '2026-05-', '202605') || substr('0' || (i % 28 + 1), -2) from n;");
    f.Sql("update Images set Folder = '" + Slash(f.dir / "other") + "' where FileName = 'p" +
          std::to_string(1000 + kRows - 1) + ".jpg';");
    std::filesystem::create_directories(f.photos / "_thumbs_");
    QImage thumbnail(160, 120, QImage::Format_RGB888);
    thumbnail.fill(QColor(200, 120, 40));
    thumbnail.save(Q(f.photos / "_thumbs_" / "p1000.jpg"), "JPG");
    f.ClickTab(5);
    f.ClickTab(7);
    auto* browser = f.Find<tessarine::CatalogueBrowser>("CatalogueBrowser");
    tessarine::CatalogueModel& model = browser->Model();
    model.SetDevicePixelRatio(2.0);
    const auto search = [&f](const QString& words, const QString& from = {}, const QString& to = {}) {
      f.SetTexts({{"txtSearchWords", words}, {"txtSearchFrom", from}, {"txtSearchTo", to}});
      f.Click("cmdSearch");
    };
    const auto columns = tessarine::ViewColumnsOf({});
    const int file = static_cast<int>(*tessarine::FindViewColumn(columns, "File"));
    auto* table = f.Find<QTableView>("tblCatalogue");

    search(QStringLiteral("beach"));
    QCOMPARE(f.TextOf("lblSearchCount"), QStringLiteral("%1 photos").arg(kBeach));
    // By folder, then file: a row's file as a path on the disk.
    QCOMPARE(model.FilePath(0), f.dir / "other" / ("p" + std::to_string(1000 + kRows - 1) + ".jpg"));
    // The header sorts the whole search again: the first page at once, the rest as the view scrolls.
    table->horizontalHeader()->setSortIndicator(file, Qt::DescendingOrder);
    QCOMPARE(model.rowCount(), kPage);
    while (model.canFetchMore({})) model.fetchMore({});
    QStringList files;
    for (int row = 0; row < model.rowCount(); ++row) files << model.index(row, file).data().toString();
    QVERIFY(std::is_sorted(files.rbegin(), files.rend()) && files.size() == kBeach);
    // Thumbnails at the screen's pixels; a date stored the IIM way shown as the XMP way is stored.
    table->horizontalHeader()->setSortIndicator(file, Qt::AscendingOrder);
    const auto picture = model.index(0, file).data(Qt::DecorationRole).value<QPixmap>();
    QVERIFY(picture.size() == QSize(160, 120) && picture.deviceIndependentSize().toSize() == QSize(80, 60));
    QVERIFY(model.index(1, file).data(Qt::DecorationRole).isNull());  // no thumbnail
    const int date = static_cast<int>(*tessarine::FindViewColumn(columns, "Date"));
    QCOMPARE(model.index(0, date).data().toString(), QStringLiteral("2026-05-01"));
    // A folder below its listed folder; Enter opens the photo, the row's menu copies its path.
    QCOMPARE(model.index(0, 0).data().toString(), QStringLiteral("photos/"));
    table->setCurrentIndex(model.index(0, file));
    QTest::keyClick(table, Qt::Key_Return);
    QCOMPARE(f.opened, std::vector<QString>{Q(f.photos / "p1000.jpg")});
    // The detail panel: the current row's fields, under their titles.
    const QString detail = f.TextOf("txtPhotoDetail");
    QVERIFY2(detail.contains(QStringLiteral("Keywords")) && detail.contains(QStringLiteral("Beach, sun")), qPrintable(detail));
    browser->SetMenuShower([](QMenu& menu, const QPoint&) { menu.actions().at(2)->trigger(); });
    emit table->customContextMenuRequested(table->visualRect(model.index(0, file)).center());
    QCOMPARE(QGuiApplication::clipboard()->text(), Q(f.photos / "p1000.jpg"));

    // For a spreadsheet: a byte order mark, every match, not only the rows read; what each field
    // becomes is CsvExport's. A place that cannot be written is said.
    browser->SetExportFileChooser([&f] { return f.dir / "view.csv"; });
    f.Click("cmdExportCsv");
    const std::string csv = tessarine::test::ReadFile(f.dir / "view.csv");
    QVERIFY(csv.starts_with("\xEF\xBB\xBF" "Folder,File,Title,") && csv.find(",202605") == std::string::npos);
    QVERIFY2(f.Status().startsWith(QStringLiteral("%1 rows written to ").arg(kBeach)), qPrintable(f.Status()));
    browser->SetExportFileChooser([&f] { return f.dir / "none" / "x.csv"; });
    f.Click("cmdExportCsv");
    // Before it, once for the three searches: how to search accent-blind (this catalogue has no words table).
    f.ExpectMessages(2, tessarine::MessageIcon::Exclamation);
    QCOMPARE(f.messages[0].text, std::string(tessarine::kAccentBlindHint));
    // A scan is about to change the table: the view lets its rows go.
    auto* scan = f.window->findChild<tessarine::ScanTab*>();
    emit scan->scanRunning(true);
    QVERIFY(model.rowCount() == 0 && !f.Enabled("cmdExportCsv"));
    emit scan->scanRunning(false);

    // A folder of the list (the folders holding rows follow, those of no listed folder last); then
    // dates, which the view reads before it searches.
    auto* folders = f.Find<QComboBox>("cboSearchFolder");
    QCOMPARE(folders->count(), 3);
    QCOMPARE(folders->itemText(2), Q(f.dir / "other") + "/");
    folders->setCurrentIndex(1);
    search(QStringLiteral("beach"), QStringLiteral("2026-05-01"), QStringLiteral("2026-05-01"));
    QCOMPARE(f.TextOf("lblSearchCount"), QStringLiteral("9 photos"));  // i % 28 == 0
    const std::tuple<const char*, const char*, const char*> refused[] = {
        {"2026-13-01", "", "Not a date: '2026-13-01'"}, {"2026-05-02", "2026-05-01", "The first day comes after the last"}};
    for (const auto& [from, to, said] : refused) {
      search(QString(), QString::fromLatin1(from), QString::fromLatin1(to));
      QVERIFY2(f.Status().startsWith(QString::fromLatin1(said)), qPrintable(f.Status()));
      QCOMPARE(f.TextOf("lblSearchCount"), QStringLiteral("9 photos"));  // nothing searched
    }
    // A table that cannot be read: said, and the view is empty.
    f.window->CurrentSettings().images = "Missing";
    search(QString());
    QVERIFY(model.rowCount() == 0 && !model.HasSearch() && !f.Enabled("cmdExportCsv"));
    QVERIFY(!f.Status().isEmpty() || f.messages.size() > 1);
  }

  // The keywords of the photos found, with their counts: one clicked narrows the search to it; the
  // camera and the place take what their boxes say, a place that is none is said and not searched.
  void theKeywordListNarrowsTheSearchAndTheFactBoxesFilterIt() {
    SqliteWindow f(true);
    const std::string folder = Slash(f.photos);
    for (const char* name : {"a.jpg", "b.jpg", "c.jpg"}) {
      f.Sql("insert into Images(Folder, FileName) values('" + folder + "', '" + name + "');");
    }
    f.Sql("insert into Images_keywords values('" + folder + "', 'a.jpg', 0, 'Places', 'Places', 1), ('" + folder +
          "', 'a.jpg', 1, 'Places|Norway', 'Norway', 2), ('" + folder + "', 'b.jpg', 0, 'Places', 'Places', 1);");
    f.Sql("insert into Images_facts(Folder, FileName, Make) values('" + folder + "', 'b.jpg', 'Canon');");
    f.ClickTab(7);
    f.Click("cmdSearch");
    auto* keywords = f.Find<QListWidget>("lstKeywordCounts");
    QCOMPARE(keywords->count(), 2);
    QCOMPARE(keywords->item(0)->text() + "|" + keywords->item(1)->text(), QStringLiteral("Places (2)|Places|Norway (1)"));
    emit keywords->itemClicked(keywords->item(1));
    QCOMPARE(f.TextOf("txtSearchKeywords"), QStringLiteral("Places|Norway"));
    QCOMPARE(f.TextOf("lblSearchCount"), QStringLiteral("1 photo"));

    f.SetTexts({{"txtSearchKeywords", ""}, {"txtSearchCamera", "canon"}});
    f.Click("cmdSearch");
    QCOMPARE(f.TextOf("lblSearchCount"), QStringLiteral("1 photo"));
    f.SetTexts({{"txtSearchNear", "north"}});
    f.Click("cmdSearch");
    QVERIFY2(f.Status().startsWith(QStringLiteral("Not a place: 'north'")), qPrintable(f.Status()));

    // The audit shows only the photos lacking a field it names, says how many, keeps the fields in
    // the settings and names what the current photo lacks; a name that is no field is said.
    f.SetTexts({{"txtSearchCamera", ""}, {"txtSearchNear", ""}, {"txtAuditRequire", "Make; Keyword"}});
    f.Find<QCheckBox>("chkAudit")->setChecked(true);
    QCOMPARE(f.TextOf("lblSearchCount"), QStringLiteral("2 photos lack a required field"));
    QCOMPARE(f.Setting("Audit", "Require"), std::string("Make; Keyword"));
    f.Find<QTableView>("tblCatalogue")->selectRow(1);
    QVERIFY(f.Find<QTextBrowser>("txtPhotoDetail")->toPlainText().startsWith(QStringLiteral("Lacks\nMake, Keyword")));
    f.SetTexts({{"txtAuditRequire", "Bylines"}});
    f.Click("cmdSearch");
    QVERIFY2(f.Status().startsWith(QStringLiteral("No field is named 'Bylines'")), qPrintable(f.Status()));

    // Only the files with copies; a file's details name the others.
    f.Sql("insert into Images_hashes values('" + folder + "', 'a.jpg', 'h'), ('" + folder + "', 'c.jpg', 'h');");
    f.Find<QCheckBox>("chkAudit")->setChecked(false);
    f.Find<QCheckBox>("chkCopies")->setChecked(true);
    QCOMPARE(f.TextOf("lblSearchCount"), QStringLiteral("2 photos"));
    f.Find<QTableView>("tblCatalogue")->selectRow(0);
    QVERIFY(f.Find<QTextBrowser>("txtPhotoDetail")->toPlainText().startsWith("Same content as\n" + Q(f.photos / "c.jpg")));

    // A search kept by name comes back, boxes and all, when it is chosen.
    f.SetTexts({{"txtSearchKeywords", "Places"}});
    auto* saved = f.Find<QComboBox>("cboSavedSearches");
    saved->setEditText(QStringLiteral("Places copied"));
    f.SetTexts({{"txtSearchView", "places_copied"}});
    f.Click("cmdSaveSearch");
    QCOMPARE(f.Sql("select count(*) from places_copied;"), std::string("1"));
    f.SetTexts({{"txtSearchKeywords", ""}});
    f.Find<QCheckBox>("chkCopies")->setChecked(false);
    QCOMPARE(f.TextOf("lblSearchCount"), QStringLiteral("3 photos"));
    emit saved->activated(saved->findText(QStringLiteral("Places copied")));
    QCOMPARE(f.TextOf("txtSearchKeywords"), QStringLiteral("Places"));
    QCOMPARE(f.TextOf("lblSearchCount"), QStringLiteral("1 photo"));
  }
};

QTEST_MAIN(WindowCatalogueTest)
#include "WindowCatalogueTest.moc"
