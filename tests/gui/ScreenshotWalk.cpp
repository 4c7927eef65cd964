// A walk through the window as a photographer meets it, at the screen size and scale it runs at
// (1024x768, and 2x in its second run): a scan of PNG, WebP and JPEG photos and the summary it
// leaves, the question that counts what removing the folder takes, then the window opened again
// on the full catalogue: the Catalogue tab first, thumbnails for every kind, the detail panel.
// Each step is checked, and saved as a picture under <build>/screenshots/<scale>x/ for a person
// to look at.

#include <QGuiApplication>
#include <QMessageBox>
#include <QScreen>
#include <QTableView>

#include "gui/browse/CatalogueBrowser.h"
#include "gui/browse/CatalogueModel.h"
#include "PictureFiles.h"
#include "WindowFixture.h"

using tessarine::test::SavePicture;
using tessarine::test::SqliteWindow;

class ScreenshotWalk : public QObject {
  Q_OBJECT

 private slots:
  void theCatalogueComesFirstWithEveryThumbnailTheDetailTheRemovalCountAndTheSummary() {
    const qreal scale = QGuiApplication::primaryScreen()->devicePixelRatio();
    const std::filesystem::path shots = std::filesystem::path(qgetenv("TESSARINE_BINARY_DIR").toStdString()) /
                                        "screenshots" / (std::to_string(static_cast<int>(scale)) + "x");
    std::filesystem::create_directories(shots);
    const auto save = [&shots](QWidget& widget, const char* name) {
      QVERIFY(widget.grab().save(QString::fromStdString((shots / name).string()), "PNG"));
    };

    SqliteWindow f(true, "[Configuration]\nCreateThumbnails=1\n");
    using tessarine::test::PictureKind;
    std::filesystem::create_directories(f.photos / "shoot");
    QVERIFY(SavePicture(f.photos / "shoot" / "harbour.png", PictureKind::Png, 300, 200));
    QVERIFY(SavePicture(f.photos / "shoot" / "glacier.webp", PictureKind::Webp, 200, 300));
    QVERIFY(SavePicture(f.photos / "street.jpg", PictureKind::Jpeg, 400, 300));
    f.window->resize(1024, 704);
    f.window->SetFolderChooser([&f] { return f.photos.string(); });
    f.ClickTab(5);
    f.Click("cmdAddFolder");
    f.Find<QTreeWidget>("lvFolders")->topLevelItem(0)->setCheckState(0, Qt::Checked);
    f.ClickAndWaitForScan("cmdScan");
    QVERIFY2(f.TextOf("lblProgress").startsWith(QStringLiteral("3 files read, 3 rows written;")),
             qPrintable(f.TextOf("lblProgress")));
    save(*f.window, "1-scan-summary.png");

    f.answerYes = false;
    f.Find<QTreeWidget>("lvFolders")->topLevelItem(0)->setSelected(true);
    f.Click("cmdRemoveFolder");
    QVERIFY(!f.messages.empty());
    const QString question = QString::fromStdString(f.messages.back().text);
    QVERIFY2(question.contains(QStringLiteral("its 3 rows")), qPrintable(question));
    QMessageBox asked(QMessageBox::Question, QStringLiteral("Tessarine PRO"), question,
                      QMessageBox::Yes | QMessageBox::No);
    save(asked, "2-removal-question.png");

    // Opened again on the full catalogue.
    f.window.reset();
    f.Open();
    f.window->resize(1024, 704);
    QCOMPARE(f.ShownFrame(), 7);
    auto& model = f.Find<tessarine::CatalogueBrowser>("CatalogueBrowser")->Model();
    QCOMPARE(model.rowCount(), 3);
    const int file = static_cast<int>(model.FileColumn());
    for (int row = 0; row < 3; ++row) {
      const QModelIndex shown = model.index(row, file);
      QVERIFY2(!shown.data(Qt::DecorationRole).isNull(), qPrintable(shown.data().toString()));
    }
    f.Find<QTableView>("tblCatalogue")->setCurrentIndex(model.index(0, file));
    QVERIFY(!f.TextOf("txtPhotoDetail").isEmpty());
    QTest::qWait(50);  // the rows take their thumbnails' heights
    save(*f.window, "3-catalogue.png");
  }
};

QTEST_MAIN(ScreenshotWalk)
#include "ScreenshotWalk.moc"
