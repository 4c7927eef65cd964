// Start-up of the main window from settings files: controls take the stored values, nothing is
// rewritten, and the first folder-list load reports the missing data source.

#include <QButtonGroup>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTreeWidget>

#include "WindowFixture.h"
#include "app/WindowTitle.h"

using tessarine::test::WindowFixture;

class WindowStartupTest : public QObject {
  Q_OBJECT

 private:
  static bool Checked(const WindowFixture& f, const char* name) { return f.Find<QAbstractButton>(name)->isChecked(); }

 private slots:
  void withoutSettingsFileEveryControlShowsItsDefault() {
    WindowFixture f;
    QCOMPARE(f.window->windowTitle(), QString::fromUtf8(tessarine::kWindowTitle.data()));
    QVERIFY(Checked(f, "optDatabase_0"));
    QVERIFY(Checked(f, "optDSN_0"));
    QCOMPARE(f.Find<QLineEdit>("txtDSN")->text(), QString());
    QCOMPARE(f.Find<QLineEdit>("txtLogin")->text(), QString());
    QCOMPARE(f.Find<QLineEdit>("txtPassword")->text(), QString());
    QCOMPARE(f.Find<QLineEdit>("txtTableFolders")->text(), QStringLiteral("Folders"));
    QCOMPARE(f.Find<QLineEdit>("txtTableImages")->text(), QStringLiteral("Images"));
    QVERIFY(!Checked(f, "chkThumbnails"));
    QVERIFY(!Checked(f, "chkOnlyIPTC"));
    QVERIFY(Checked(f, "optXMPOverIPTC_0"));
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
    QVERIFY(!f.Find<QWidget>("FrameHelp")->isHidden());
  }

  void onlyIptcStoredGreysThePrecedenceAndTheCustomFields() {
    WindowFixture f("[Metadata]\nOnlyIPTC=1\nXMPOverIPTC=1\n");
    QVERIFY(Checked(f, "chkOnlyIPTC"));
    QVERIFY(Checked(f, "optXMPOverIPTC_1"));
    QVERIFY(!f.Find<QWidget>("optXMPOverIPTC_0")->isEnabled());
    QVERIFY(!f.Find<QWidget>("optXMPOverIPTC_1")->isEnabled());
    QVERIFY(!f.Find<QWidget>("cmdXMPCustomized")->isEnabled());
    QVERIFY(!f.Find<QWidget>("txtXMPCustomized")->isEnabled());
    for (int i = 6; i <= 11; ++i) QVERIFY(!f.window->findChild<QLabel*>(QStringLiteral("lblHelpMetadata_%1").arg(i))->isEnabled());
    QVERIFY(f.window->findChild<QLabel*>(QStringLiteral("lblHelpMetadata_5"))->isEnabled());
    QVERIFY(f.Find<QWidget>("ImagePuceMetadata_2")->isHidden());
    QVERIFY(f.Find<QWidget>("ImagePuceMetadata_3")->isHidden());
    QVERIFY(!f.Find<QWidget>("ImagePuceMetadata_1")->isHidden());
    // Applying the loaded state wrote nothing back.
    QCOMPARE(f.Setting("Metadata", "XMPOverIPTC"), std::string("1"));
    QVERIFY(!f.window->CurrentSettings().xmpOverIptc);
  }

  void xmpOverIptcZeroSelectsTheLegacyOption() {
    WindowFixture f("[Metadata]\nXMPOverIPTC=0\n");
    QVERIFY(Checked(f, "optXMPOverIPTC_1"));
    QVERIFY(f.Find<QWidget>("optXMPOverIPTC_0")->isEnabled());
  }

  void thumbnailsOffLeaveBothOptionsGreyAndClear() {
    WindowFixture f("[Configuration]\nCreateThumbnails=0\nReCreateThumbnails=1\n");
    QVERIFY(!Checked(f, "chkThumbnails"));
    QVERIFY(!f.Find<QGroupBox>("frameThumbnails")->isEnabled());
    for (const char* name : {"optThumbnails_0", "optThumbnails_1"}) {
      QVERIFY(!f.Find<QWidget>(name)->isEnabled());
      QVERIFY(!Checked(f, name));
    }
    QVERIFY(f.window->CurrentSettings().reCreateThumbnails);
  }

  void thumbnailsOnShowTheStoredRecreateChoice() {
    WindowFixture recreate("[Configuration]\nCreateThumbnails=1\nReCreateThumbnails=1\n");
    QVERIFY(Checked(recreate, "chkThumbnails"));
    QVERIFY(recreate.Find<QGroupBox>("frameThumbnails")->isEnabled());
    QVERIFY(Checked(recreate, "optThumbnails_0"));
    WindowFixture keep("[Configuration]\nCreateThumbnails=1\n");
    QVERIFY(Checked(keep, "optThumbnails_1"));
  }

  void unknownDbmsLoadsAsTheFirstKind() {
    WindowFixture f("[Database]\nDBMS=5\n");
    QVERIFY(Checked(f, "optDatabase_0"));
    QVERIFY(!Checked(f, "optDatabase_1"));
    QCOMPARE(f.Setting("Database", "DBMS"), std::string("5"));
  }

  void storedConnectionAndTablesFillTheirBoxes() {
    WindowFixture f(
        "[Connection]\nDSN=Pictures\nFileDSN=1\nLogin=scan\nPassword=s3cret\n"
        "[Database]\nDBMS=2\nFolders=Folders2\nImages=Images2\n");
    QCOMPARE(f.Find<QLineEdit>("txtDSN")->text(), QStringLiteral("Pictures"));
    QVERIFY(Checked(f, "optDSN_1"));
    QCOMPARE(f.Find<QLineEdit>("txtLogin")->text(), QStringLiteral("scan"));
    QCOMPARE(f.Find<QLineEdit>("txtPassword")->text(), QStringLiteral("s3cret"));
    QVERIFY(Checked(f, "optDatabase_2"));
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

  void everyTabAndItsFrameExistWithTheirCaptions() {
    WindowFixture f;
    auto* strip = f.Find<QTabBar>("TabStripMain");
    const QStringList captions{"1 - Database", "2 - Connection", "3 - Tables", "4 - Metadata", "5 - Scan folders",
                               "Verify / Check"};
    QCOMPARE(strip->count(), captions.size());
    for (int i = 0; i < captions.size(); ++i) {
      QCOMPARE(strip->tabText(i), captions[i]);
      QWidget* frame = f.window->findChild<QWidget*>(QStringLiteral("FrameMain_%1").arg(i + 1));
      QVERIFY(frame);
      QCOMPARE(frame->isHidden(), i != 0);
    }
    const QStringList kinds{"MySQL, PostgreSQL, etc.", "Oracle", "SQL Server", "SQLite (embedded)"};
    for (int i = 0; i < kinds.size(); ++i) {
      QCOMPARE(f.window->findChild<QRadioButton*>(QStringLiteral("optDatabase_%1").arg(i))->text(), kinds[i]);
    }
    QCOMPARE(f.Find<QPushButton>("cmdOK")->text(), QStringLiteral("Exit"));
    QCOMPARE(f.Find<QPushButton>("cmdTestingQuery")->text(), QStringLiteral("Testing Query"));
    QCOMPARE(f.Find<QPushButton>("cmdCreateTableFolders_0")->text(), QStringLiteral("Create folders table"));
    QCOMPARE(f.Find<QPushButton>("cmdCreateTableImages_1")->text(), QStringLiteral("Display SQL statement"));
    QCOMPARE(f.Find<QPushButton>("cmdCancel")->text(), QStringLiteral("Stop"));
    QVERIFY(f.Find<QWidget>("cmdCancel")->isHidden());
    QCOMPARE(f.Find<QPushButton>("cmdXMPCustomized")->text(), QStringLiteral("Define custom XMP fields"));
    QCOMPARE(f.Find<QLabel>("lblSubFolder")->palette().color(QPalette::WindowText), QColor(0, 0, 255));
    QCOMPARE(f.Find<QLabel>("lblStatus")->parentWidget(), f.window.get());
  }
};

QTEST_MAIN(WindowStartupTest)
#include "WindowStartupTest.moc"
