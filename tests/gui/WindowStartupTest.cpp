// The start-up: each tab shows the stored settings under its enabling rules without storing
// anything, only the first tab is shown, and the first folder-list load runs.

#include "core/WindowTitle.h"
#include "WindowFixture.h"
#include "workflows/xmpcustom/CustomXmpSummary.h"

using tessarine::test::WindowFixture;

class WindowStartupTest : public QObject {
  Q_OBJECT

 private slots:
  void storedSettingsReachEveryTabAndNothingIsWritten() {
    const char* stored =
        "[Connection]\nDSN=Pictures\nFileDSN=1\nLogin=scan\nPassword=s3cret\n"
        "[Database]\nDBMS=2\nFolders=Folders2\nImages=Images2\n"
        "[Configuration]\nCreateThumbnails=1\nReCreateThumbnails=1\n[Metadata]\nOnlyIPTC=1\n"
        "[XMPCustomized]\nNS1=http://ns.example.com/a/\nXMPFieldName1_1=one\nDBFieldName1_1=01\n";
    WindowFixture f(stored);
    f.ExpectTexts({{"txtDSN", "Pictures"}, {"txtLogin", "scan"}, {"txtPassword", "s3cret"},
                   {"txtTableFolders", "Folders2"}, {"txtTableImages", "Images2"},
                   {"txtXMPCustomized", QString::fromStdString(tessarine::CustomXmpSummary(f.window->CurrentSettings().custom))}});
    for (const char* on : {"optDSN_1", "optDatabase_2", "chkOnlyIPTC", "optXMPOverIPTC_1", "chkThumbnails", "optThumbnails_0"}) {
      QVERIFY2(f.Checked(on), on);
    }
    f.ExpectXmpControlsEnabled(false);
    QVERIFY(f.Enabled("frameThumbnails"));
    QCOMPARE(f.Find<QTreeWidget>("lvFolders")->headerItem()->text(0),
             QStringLiteral("Folders to scan (as stored in table 'Folders2')"));
    // The controls were set before their handlers listened: the file is as it was.
    QCOMPARE(f.SettingsText(), std::string(stored));
  }

  void onlyTheFirstTabShowsAndTheFolderListIsLoaded() {
    WindowFixture f;
    QCOMPARE(f.window->windowTitle(), QString::fromUtf8(tessarine::kWindowTitle.data()));
    QCOMPARE(f.ShownFrame(), 1);
    QCOMPARE(f.window->CurrentTab(), 0);
    QVERIFY(f.Hidden("cmdCancel") && f.Hidden("cmdCancelCheck"));  // shown only while a scan or check runs
    QCOMPARE(f.Find("lblStatus")->parentWidget(), f.window.get());
    for (const char* name : {"optThumbnails_0", "optThumbnails_1"}) QVERIFY2(!f.Enabled(name) && !f.Checked(name), name);
    // The load found no data source: said in the status line; add and remove stay as they were.
    QCOMPARE(f.Status(), QStringLiteral("DSN not defined"));
    QCOMPARE(f.EnabledAmong({"cmdAddFolder", "cmdRemoveFolder"}, false), QStringList());
    QVERIFY(!f.Hidden("FrameHelp") && !std::filesystem::exists(f.settingsFile));
  }
};

QTEST_MAIN(WindowStartupTest)
#include "WindowStartupTest.moc"
