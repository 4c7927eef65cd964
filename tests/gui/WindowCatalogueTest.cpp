// The catalogue view on the embedded SQLite catalogue: a search by words, folder and date fills a
// sortable table page by page under the titles people read, with thumbnails drawn at the screen's
// pixels, and exports the whole view as CSV. The statements are CatalogueSearch's, tested on
// every database with it.

#include <QComboBox>
#include <QHeaderView>
#include <QImage>
#include <QTableView>

#include "WindowFixture.h"
#include "gui/browse/CatalogueBrowser.h"
#include "gui/VerifyTab.h"
#include "gui/browse/CatalogueModel.h"

using tessarine::test::ReadFile;

namespace {

constexpr int kPhotos = 450;

// kPhotos rows written as a scan would; every third one is not at the beach, the first has a
// thumbnail, the second a caption that needs quoting in CSV, the last lies in another folder.
struct CatalogueWindow : tessarine::test::SqliteWindow {
  CatalogueWindow() : SqliteWindow(true) {
    Sql("insert into Folders values('" + photos.string() + "/', '', '');");
    Sql("begin;");
    for (int i = 1; i <= kPhotos; ++i) {
      char name[16];
      std::snprintf(name, sizeof name, "p%03d.jpg", i);
      const std::string folder = i == kPhotos ? (dir / "other").string() + "/" : photos.string() + "/";
      const std::string keywords = i % 3 == 0 ? "mountain" : "Beach, sun";
      const std::string caption = i == 2 ? "Waves, \"big\" ones" : "caption " + std::to_string(i);
      // Half the dates as IIM writes them, half as XMP does.
      const std::string day = std::string(i % 28 < 9 ? "0" : "") + std::to_string(i % 28 + 1);
      const std::string date = i % 2 == 0 ? "202605" + day : "2026-05-" + day;
      Sql("insert into Images(Folder, FileName, ObjectName, Keywords, Caption, CreatedDate) values('" + folder +
          "', '" + name + "', 'Title " + std::to_string(i) + "', '" + keywords + "', '" + caption + "', '" + date +
          "');");
    }
    Sql("commit;");
    std::filesystem::create_directories(photos / "_thumbs_");
    QImage thumbnail(160, 120, QImage::Format_RGB888);
    thumbnail.fill(QColor(200, 120, 40));
    thumbnail.save(QString::fromStdString((photos / "_thumbs_" / "p001.jpg").string()), "JPG");
    window->SetFolderListLoader({});
    ClickTab(5);
    ClickTab(6);
    Find<QTabBar>("TabStripVerify")->setCurrentIndex(2);
  }
  tessarine::CatalogueModel& Model() { return Find<tessarine::CatalogueBrowser>("CatalogueBrowser")->Model(); }
  void Search(const QString& words, const QString& from = {}, const QString& to = {}) {
    SetTexts({{"txtSearchWords", words}, {"txtSearchFrom", from}, {"txtSearchTo", to}});
    Click("cmdSearch");
  }
  int Column(const QString& title) {
    for (int c = 0; c < Model().columnCount(); ++c) {
      if (Model().headerData(c, Qt::Horizontal, Qt::DisplayRole).toString() == title) return c;
    }
    return -1;
  }
  QString Cell(int row, const QString& title) {
    return Model().data(Model().index(row, Column(title)), Qt::DisplayRole).toString();
  }
};

}  // namespace

class WindowCatalogueTest : public QObject {
  Q_OBJECT

 private slots:
  void theHeaderSortsTheWholeSearchAndFiltersNarrowIt() {
    CatalogueWindow f;
    f.Search(QString());
    QCOMPARE(f.TextOf("lblSearchCount"), QStringLiteral("%1 photos").arg(kPhotos));
    // The header reaches the model's sort (which CatalogueModelTest checks on every database).
    auto* header = f.Find<QTableView>("tblCatalogue")->horizontalHeader();
    header->setSortIndicator(f.Column(QStringLiteral("File")), Qt::DescendingOrder);
    QCOMPARE(f.Cell(0, QStringLiteral("File")), QStringLiteral("p450.jpg"));  // from the whole table, not the page

    // A folder of the list: the row in the other folder goes.
    auto* folders = f.Find<QComboBox>("cboSearchFolder");
    QCOMPARE(folders->count(), 2);
    folders->setCurrentIndex(1);
    f.Search(QString());
    QCOMPARE(f.TextOf("lblSearchCount"), QStringLiteral("%1 photos").arg(kPhotos - 1));

    // Dates, both ends inclusive; a day that is none is said and searches nothing.
    folders->setCurrentIndex(0);
    f.Search(QString(), QStringLiteral("2026-05-01"), QStringLiteral("2026-05-01"));
    QCOMPARE(f.TextOf("lblSearchCount"), QStringLiteral("16 photos"));  // i % 28 == 0
    QCOMPARE(f.Cell(0, QStringLiteral("Date")), QStringLiteral("2026-05-01"));
    f.Search(QString(), QStringLiteral("2026-13-01"));
    QVERIFY2(f.Status().startsWith(QStringLiteral("Not a date: '2026-13-01'")), qPrintable(f.Status()));
    QCOMPARE(f.TextOf("lblSearchCount"), QStringLiteral("16 photos"));
    f.Search(QString(), QStringLiteral("2026-05-02"), QStringLiteral("2026-05-01"));
    QVERIFY2(f.Status().startsWith(QStringLiteral("The first day comes after the last")), qPrintable(f.Status()));
    QCOMPARE(f.TextOf("lblSearchCount"), QStringLiteral("16 photos"));

    // A scan is about to change the table: the view lets its rows go.
    f.window->findChild<tessarine::VerifyTab*>()->ClearResult();
    QCOMPARE(f.Model().rowCount(), 0);
    QVERIFY(!f.Enabled("cmdExportCsv"));
  }

  void thumbnailsAreDrawnAtTheScreensPixels() {
    CatalogueWindow f;
    f.Search(QStringLiteral("beach"));
    QCOMPARE(f.Cell(0, QStringLiteral("File")), QStringLiteral("p001.jpg"));
    const int fileColumn = f.Column(QStringLiteral("File"));
    QVERIFY(f.Model().data(f.Model().index(1, fileColumn), Qt::DecorationRole).isNull());  // no thumbnail
    f.Model().SetDevicePixelRatio(2.0);
    f.Search(QStringLiteral("beach"));
    const auto picture = f.Model().data(f.Model().index(0, fileColumn), Qt::DecorationRole).value<QPixmap>();
    QCOMPARE(picture.size(), QSize(128, 96));          // device pixels
    QCOMPARE(picture.deviceIndependentSize().toSize(), QSize(64, 48));
  }

  void theWholeViewIsExportedAsCsv() {
    CatalogueWindow f;
    const std::filesystem::path file = f.dir / "view.csv";
    f.Find<tessarine::CatalogueBrowser>("CatalogueBrowser")->SetExportFileChooser([&] { return file; });
    QVERIFY(!f.Enabled("cmdExportCsv"));
    f.Search(QStringLiteral("beach"));
    f.Click("cmdExportCsv");
    const std::string csv = ReadFile(file);
    QVERIFY(csv.rfind("\xEF\xBB\xBF" "Folder,File,Title,", 0) == 0);
    std::size_t records = 0;
    for (std::size_t at = 0; (at = csv.find("\r\n", at)) != std::string::npos; at += 2) ++records;
    QCOMPARE(records, std::size_t(301));  // the header and every match, not only the rows read
    // What each field becomes is CsvExport's (BrowsePiecesTest); one quoted field shows it is used.
    QVERIFY(csv.find(",\"Waves, \"\"big\"\" ones\",") != std::string::npos);
    QVERIFY2(f.Status().startsWith(QStringLiteral("300 rows written to ")), qPrintable(f.Status()));
    QVERIFY(!std::filesystem::exists(f.dir / "view.csv.partial"));

    // A place that cannot be written: said, and nothing is left behind.
    f.Find<tessarine::CatalogueBrowser>("CatalogueBrowser")->SetExportFileChooser([&] { return f.dir / "none" / "x.csv"; });
    f.Click("cmdExportCsv");
    f.ExpectMessages(1, tessarine::MessageIcon::Exclamation);
  }
};

QTEST_MAIN(WindowCatalogueTest)
#include "WindowCatalogueTest.moc"
