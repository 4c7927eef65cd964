// Start-up of the main window from settings files: controls take the stored values, nothing is
// rewritten, and the first folder-list load reports the missing data source.

#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QTest>
#include <QTreeWidget>

#include "catalogue/SqlDialect.h"
#include "core/WindowTitle.h"
#include "WindowFixture.h"

using tessarine::test::WindowFixture;

class WindowStartupTest : public QObject {
  Q_OBJECT

 private slots:
  void withoutSettingsFileEveryControlShowsItsDefault() {
    WindowFixture f;
    QCOMPARE(f.window->windowTitle(), QString::fromUtf8(tessarine::kWindowTitle.data()));
    for (const char* on : {"optDatabase_0", "optDSN_0", "optXMPOverIPTC_0"}) QVERIFY2(f.Checked(on), on);
    for (const char* off : {"chkThumbnails", "chkOnlyIPTC"}) QVERIFY2(!f.Checked(off), off);
    const std::pair<const char*, const char*> boxes[] = {
        {"txtDSN", ""}, {"txtLogin", ""}, {"txtPassword", ""}, {"txtTableFolders", "Folders"}, {"txtTableImages", "Images"}};
    for (const auto& [name, text] : boxes) QCOMPARE(f.Find<QLineEdit>(name)->text(), QString::fromLatin1(text));
    QCOMPARE(f.Find<QPlainTextEdit>("txtXMPCustomized")->toPlainText(), QStringLiteral("No custom fields defined"));
    QCOMPARE(f.Find<QTreeWidget>("lvFolders")->headerItem()->text(0),
             QStringLiteral("Folders to scan (as stored in table 'Folders')"));
    QCOMPARE(f.window->CurrentTab(), 0);
    // Loading reads only; the first write creates the file.
    QVERIFY(!std::filesystem::exists(f.settingsFile));
  }

  void withoutDataSourceTheFirstLoadSaysDsnNotDefined() {
    WindowFixture f;
    QCOMPARE(f.Find<QLabel>("lblStatus")->text(), QStringLiteral("DSN not defined"));
    QCOMPARE(f.Find<QTreeWidget>("lvFolders")->topLevelItemCount(), 0);
    QVERIFY(f.messages.empty());
    QVERIFY(!f.Hidden("FrameHelp"));
  }

  void onlyIptcStoredGreysThePrecedenceAndTheCustomFields() {
    WindowFixture f("[Metadata]\nOnlyIPTC=1\nXMPOverIPTC=1\n");
    QVERIFY(f.Checked("chkOnlyIPTC"));
    QVERIFY(f.Checked("optXMPOverIPTC_1"));
    f.ExpectXmpControlsEnabled(false);
    // Applying the loaded state wrote nothing back.
    QCOMPARE(f.Setting("Metadata", "XMPOverIPTC"), std::string("1"));
    QVERIFY(!f.window->CurrentSettings().xmpOverIptc);
  }

  void xmpOverIptcZeroSelectsTheLegacyOption() {
    WindowFixture f("[Metadata]\nXMPOverIPTC=0\n");
    QVERIFY(f.Checked("optXMPOverIPTC_1"));
    QVERIFY(f.Enabled("optXMPOverIPTC_0"));
  }

  void thumbnailsOffLeaveBothOptionsGreyAndClear() {
    WindowFixture f("[Configuration]\nCreateThumbnails=0\nReCreateThumbnails=1\n");
    QVERIFY(!f.Checked("chkThumbnails"));
    QVERIFY(!f.Enabled("frameThumbnails"));
    for (const char* name : {"optThumbnails_0", "optThumbnails_1"}) {
      QVERIFY(!f.Enabled(name));
      QVERIFY(!f.Checked(name));
    }
    QVERIFY(f.window->CurrentSettings().reCreateThumbnails);
  }

  void thumbnailsOnShowTheStoredRecreateChoice() {
    WindowFixture recreate("[Configuration]\nCreateThumbnails=1\nReCreateThumbnails=1\n");
    QVERIFY(recreate.Checked("chkThumbnails"));
    QVERIFY(recreate.Enabled("frameThumbnails"));
    QVERIFY(recreate.Checked("optThumbnails_0"));
    WindowFixture keep("[Configuration]\nCreateThumbnails=1\n");
    QVERIFY(keep.Checked("optThumbnails_1"));
  }

  void unknownDbmsLoadsAsTheFirstKind() {
    WindowFixture f("[Database]\nDBMS=5\n");
    QVERIFY(f.Checked("optDatabase_0"));
    QVERIFY(!f.Checked("optDatabase_1"));
    QCOMPARE(f.Setting("Database", "DBMS"), std::string("5"));
  }

  void storedConnectionAndTablesFillTheirBoxes() {
    WindowFixture f(
        "[Connection]\nDSN=Pictures\nFileDSN=1\nLogin=scan\nPassword=s3cret\n"
        "[Database]\nDBMS=2\nFolders=Folders2\nImages=Images2\n");
    QCOMPARE(f.Find<QLineEdit>("txtDSN")->text(), QStringLiteral("Pictures"));
    QVERIFY(f.Checked("optDSN_1"));
    QCOMPARE(f.Find<QLineEdit>("txtLogin")->text(), QStringLiteral("scan"));
    QCOMPARE(f.Find<QLineEdit>("txtPassword")->text(), QStringLiteral("s3cret"));
    QVERIFY(f.Checked("optDatabase_2"));
    QCOMPARE(f.Find<QLineEdit>("txtTableImages")->text(), QStringLiteral("Images2"));
    QCOMPARE(f.Find<QTreeWidget>("lvFolders")->headerItem()->text(0),
             QStringLiteral("Folders to scan (as stored in table 'Folders2')"));
  }

  void customDefinitionsAreSummarised() {
    WindowFixture f(
        "[XMPCustomized]\nDescription1=Mine\nNS1=http://ns.example.com/a/\nPrefix1=a\n"
        "XMPFieldName1_1=one\nDBFieldName1_1=01\nXMPFieldName1_2=two\nDBFieldName1_2=02\n"
        "NS2=http://ns.example.com/a/\nXMPFieldName2_1=three\nDBFieldName2_1=03\n");
    QCOMPARE(f.Find<QPlainTextEdit>("txtXMPCustomized")->toPlainText(),
             QStringLiteral("Custom fields defined: 3\nXMP Schemas defined: 1"));
  }

  void everyTabAndItsFrameExistAndOnlyTheFirstIsShown() {
    WindowFixture f;
    auto* strip = f.Find<QTabBar>("TabStripMain");
    const QStringList captions{"1 - Database", "2 - Connection", "3 - Tables", "4 - Metadata", "5 - Scan folders",
                               "Verify / Check"};
    QCOMPARE(strip->count(), captions.size());
    for (int i = 0; i < captions.size(); ++i) {
      QCOMPARE(strip->tabText(i), captions[i]);
      QCOMPARE(f.Hidden(QStringLiteral("FrameMain_%1").arg(i + 1)), i != 0);
    }
    for (int i = 0; i < 4; ++i) {
      const std::string_view caption = tessarine::DbmsCaption(static_cast<tessarine::DbmsKind>(i));
      QCOMPARE(f.Find<QRadioButton>(QStringLiteral("optDatabase_%1").arg(i))->text(),
               QString::fromUtf8(caption.data(), static_cast<qsizetype>(caption.size())));
    }
    QVERIFY(f.Hidden("cmdCancel"));  // shown only while a scan runs
    QCOMPARE(f.Find<QLabel>("lblStatus")->parentWidget(), f.window.get());
  }
};

QTEST_MAIN(WindowStartupTest)
#include "WindowStartupTest.moc"
