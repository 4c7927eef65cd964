// The settings and the window: the start-up shows the stored settings under each tab's enabling
// rules without writing anything; each option control stores its own key as it is clicked; the
// connection boxes are written on closing, which a running scan or check refuses.

#include "core/WindowTitle.h"
#include "WindowFixture.h"
#include "workflows/xmpcustom/CustomXmpSummary.h"

using tessarine::test::WindowFixture;

class WindowOptionsTest : public QObject {
  Q_OBJECT

 private slots:
  void storedSettingsReachEveryTabAndNothingIsWritten() {
    const char* stored =
        "[Connection]\nDSN=Pictures\nFileDSN=1\nLogin=scan\nPassword=s3cret\n"
        "[Database]\nDBMS=2\nFolders=Folders2\nImages=Images2\n"
        "[Configuration]\nCreateThumbnails=1\nReCreateThumbnails=1\n[Metadata]\nOnlyIPTC=1\n"
        "[XMPCustomized]\nNS1=http://ns.example.com/a/\nXMPFieldName1_1=one\nDBFieldName1_1=01\n";
    WindowFixture f(stored);
    const std::pair<const char*, std::string> texts[] = {
        {"txtDSN", "Pictures"}, {"txtLogin", "scan"}, {"txtPassword", "s3cret"}, {"txtTableFolders", "Folders2"},
        {"txtTableImages", "Images2"}, {"txtXMPCustomized", tessarine::CustomXmpSummary(f.window->CurrentSettings().custom)}};
    for (const auto& [name, text] : texts) QCOMPARE(f.TextOf(name).toStdString(), text);
    for (const char* on : {"optDSN_1", "optDatabase_2", "chkOnlyIPTC", "optXMPOverIPTC_1", "chkThumbnails", "optThumbnails_0"}) {
      QVERIFY2(f.Checked(on), on);
    }
    f.ExpectXmpControlsEnabled(false);
    QVERIFY(f.Enabled("frameThumbnails"));
    QVERIFY(f.Find<QTreeWidget>("lvFolders")->headerItem()->text(0).contains(QStringLiteral("'Folders2'")));
    // The controls were set before their handlers listened: the file is as it was.
    QCOMPARE(tessarine::test::ReadFile(f.settingsFile), std::string(stored));
  }

  void onlyTheFirstTabShowsAndTheFolderListIsLoaded() {
    WindowFixture f;
    QCOMPARE(f.window->windowTitle(), QString::fromUtf8(tessarine::kWindowTitle.data()));
    QCOMPARE(f.ShownFrame(), 1);
    QCOMPARE(f.window->CurrentTab(), 0);
    QVERIFY(f.Hidden("cmdCancel") && f.Hidden("cmdCancelCheck"));  // shown only while a scan or check runs
    QCOMPARE(f.Find("lblStatus")->parentWidget(), f.window.get());  // outside the tabs' frames
    for (const char* name : {"optThumbnails_0", "optThumbnails_1"}) QVERIFY2(!f.Enabled(name) && !f.Checked(name), name);
    // The load found no data source: said in the status line; add and remove stay as they were.
    QCOMPARE(f.Status(), QStringLiteral("DSN not defined"));
    QCOMPARE(f.EnabledAmong({"cmdAddFolder", "cmdRemoveFolder"}, false), QStringList());
    QVERIFY(!f.Hidden("FrameHelp") && !std::filesystem::exists(f.settingsFile));
  }

  void eachOptionStoresItsKeyUnderTheEnablingRules() {
    WindowFixture f("[Database]\nDBMS=x\n[Configuration]\nReCreateThumbnails=1\n");
    // A click on the tab's control, and the one or two keys it stores.
    struct Click {
      int tab;
      const char* control;
      const char* section;
      const char* key;
      const char* value;
      const char* key2 = nullptr;
      const char* value2 = nullptr;
    };
    const Click clicks[] = {{1, "optDatabase_2", "Database", "DBMS", "2"},
                            {1, "optDatabase_0", "Database", "DBMS", "0"},
                            {4, "optXMPOverIPTC_1", "Metadata", "XMPOverIPTC", "0"},
                            {4, "optXMPOverIPTC_0", "Metadata", "XMPOverIPTC", "1"},
                            {4, "chkModernFormats", "Configuration", "ModernFormats", "0"},
                            {4, "chkKeepIimWhenXmpMissing", "Metadata", "KeepIimWhenXmpMissing", "1"},
                            {5, "chkOnlyChangedFiles", "Configuration", "OnlyChangedFiles", "1"},
                            {5, "chkThumbnails", "Configuration", "CreateThumbnails", "1", "ReCreateThumbnails", "0"},
                            {5, "optThumbnails_0", "Configuration", "ReCreateThumbnails", "1"},
                            {5, "chkThumbnails", "Configuration", "CreateThumbnails", "0", "ReCreateThumbnails", "1"}};
    for (const Click& c : clicks) {
      f.ClickTab(c.tab);
      f.Click(c.control);
      f.ExpectSettings(c.section, {{c.key, c.value}});
      if (c.key2) f.ExpectSettings(c.section, {{c.key2, c.value2}});
    }
    QVERIFY(f.window->CurrentSettings().dbms == tessarine::DbmsKind::MySqlPostgreSqlEtc);
    // Thumbnails unticked: greyed, neither option shown (the recreate choice kept, above).
    QVERIFY(!f.Enabled("frameThumbnails") && !f.Checked("optThumbnails_0") && !f.Checked("optThumbnails_1"));
    f.Click("chkThumbnails");
    QVERIFY(f.Enabled("frameThumbnails") && f.Checked("optThumbnails_1"));

    // Only IPTC greys the XMP controls and chooses IIM first, storing both flags.
    f.ClickTab(4);
    for (bool only : {true, false}) {
      f.Click("chkOnlyIPTC");
      f.ExpectSettings("Metadata", {{"OnlyIPTC", only ? "1" : "0"}, {"XMPOverIPTC", only ? "0" : "1"}});
      QVERIFY(f.Checked(only ? "optXMPOverIPTC_1" : "optXMPOverIPTC_0"));
      f.ExpectXmpControlsEnabled(!only);
    }
  }

  void connectionBoxesReachTheSettingsOnlyOnClosing() {
    WindowFixture f;
    f.ClickTab(2);
    f.SetTexts({{"txtDSN", "Pictures"}, {"txtLogin", "scan"}, {"txtPassword", "pa;ss="}});
    f.Click("optDSN_1");
    QVERIFY(!std::filesystem::exists(f.settingsFile));
    QCOMPARE(f.window->CurrentSettings().dsn, std::string());

    f.Click("cmdOK");
    QVERIFY(!f.window->isVisible());
    f.ExpectSettings("Connection", {{"DSN", "Pictures"}, {"FileDSN", "1"}, {"Login", "scan"}, {"Password", "pa;ss="}});
    f.ExpectSettings("Database", {{"Folders", "Folders"}});
    // The connection first, then the tables: the sections appear in that order.
    const std::string text = tessarine::test::ReadFile(f.settingsFile);
    QVERIFY(text.find("[Connection]") < text.find("[Database]"));
  }

  void stopCancelAndClosingDuringARunOnlyAskTheRunToEnd() {
    WindowFixture f;
    for (bool scan : {true, false}) {
      const char* button = scan ? "cmdCancel" : "cmdCancelCheck";
      // Clicked, then (while a run shows its button) the window closed: each only asks that run to end.
      for (bool closing : {false, true}) {
        f.Find(button)->setVisible(closing);
        if (closing) {
          QVERIFY(!f.window->close());
        } else {
          f.Click(button);
        }
        QVERIFY(f.window->StopRequested() == scan && f.window->CheckCancelRequested() == !scan);
        f.window->ClearStopRequest();
        f.window->ClearCheckCancelRequest();
      }
      f.Find(button)->setVisible(false);
    }
    QVERIFY(f.window->isVisible() && !std::filesystem::exists(f.settingsFile));
    QVERIFY(f.window->close());
    QVERIFY(std::filesystem::exists(f.settingsFile));
  }
};

QTEST_MAIN(WindowOptionsTest)
#include "WindowOptionsTest.moc"
