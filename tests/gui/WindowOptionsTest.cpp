// Each option control stores its own key as it is clicked, under the enabling rules of the
// metadata and scan tabs; the connection boxes are written on closing, which a running scan or
// check refuses.

#include "WindowFixture.h"

using tessarine::test::WindowFixture;

class WindowOptionsTest : public QObject {
  Q_OBJECT

 private slots:
  void databaseKindAndMetadataOptionsStoreTheirChoice() {
    WindowFixture f("[Database]\nDBMS=x\n");
    f.ClickTab(1);
    for (int kind : {2, 1, 3, 0}) {
      f.Click(QStringLiteral("optDatabase_%1").arg(kind));
      QCOMPARE(f.Setting("Database", "DBMS"), std::to_string(kind));
      QCOMPARE(static_cast<int>(f.window->CurrentSettings().dbms), kind);
    }
    f.ClickTab(4);
    f.Click("optXMPOverIPTC_1");
    f.ExpectSettings("Metadata", {{"XMPOverIPTC", "0"}});
    QVERIFY(!f.window->CurrentSettings().xmpOverIptc);
    f.Click("optXMPOverIPTC_0");
    f.ExpectSettings("Metadata", {{"XMPOverIPTC", "1"}});
    // Modern formats are read unless the box is cleared; keeping IIM is chosen.
    QVERIFY(f.Checked("chkModernFormats") && !f.Checked("chkKeepIimWhenXmpMissing"));
    f.Click("chkModernFormats");
    f.Click("chkKeepIimWhenXmpMissing");
    f.ExpectSettings("Configuration", {{"ModernFormats", "0"}});
    f.ExpectSettings("Metadata", {{"KeepIimWhenXmpMissing", "1"}});
    QVERIFY(!f.window->CurrentSettings().modernFormats && f.window->CurrentSettings().keepIimWhenXmpMissing);
    // Only IPTC ticked greys the XMP controls and stores both flags.
    for (bool only : {true, false}) {
      f.Click("chkOnlyIPTC");
      f.ExpectSettings("Metadata", {{"OnlyIPTC", only ? "1" : "0"}, {"XMPOverIPTC", only ? "0" : "1"}});
      QVERIFY(f.Checked(only ? "optXMPOverIPTC_1" : "optXMPOverIPTC_0"));
      f.ExpectXmpControlsEnabled(!only);
    }
  }

  void thumbnailsTickedEnableTheFrameAndChooseDoNotRecreate() {
    WindowFixture f("[Configuration]\nReCreateThumbnails=1\n");
    f.ClickTab(5);
    f.Click("chkThumbnails");
    f.ExpectSettings("Configuration", {{"CreateThumbnails", "1"}, {"ReCreateThumbnails", "0"}});
    QVERIFY(f.Enabled("frameThumbnails") && f.Checked("optThumbnails_1"));
    f.Click("optThumbnails_0");
    f.ExpectSettings("Configuration", {{"ReCreateThumbnails", "1"}});

    // Unticked: greyed, neither option shown, the recreate choice kept as stored.
    f.Click("chkThumbnails");
    f.ExpectSettings("Configuration", {{"CreateThumbnails", "0"}, {"ReCreateThumbnails", "1"}});
    QVERIFY(!f.Enabled("frameThumbnails") && !f.Checked("optThumbnails_0") && !f.Checked("optThumbnails_1"));

    // Rescans of changed files only: off until ticked.
    QVERIFY(!f.Checked("chkOnlyChangedFiles"));
    f.Click("chkOnlyChangedFiles");
    f.ExpectSettings("Configuration", {{"OnlyChangedFiles", "1"}});
    QVERIFY(f.window->CurrentSettings().onlyChangedFiles);
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
    const std::string text = f.SettingsText();
    QVERIFY(text.find("[Connection]") < text.find("[Database]"));
  }

  void stopCancelAndClosingDuringARunOnlyAskTheRunToEnd() {
    WindowFixture f;
    for (bool scan : {true, false}) {
      const char* button = scan ? "cmdCancel" : "cmdCancelCheck";
      f.Click(button);
      QVERIFY(f.window->StopRequested() == scan && f.window->CheckCancelRequested() == !scan);
      f.window->ClearStopRequest();
      f.window->ClearCheckCancelRequest();
      // While a run shows its Stop or Cancel button, closing is refused and asks that run to end.
      f.Find(button)->setVisible(true);
      QVERIFY(!f.window->close());
      QVERIFY(f.window->StopRequested() == scan && f.window->CheckCancelRequested() == !scan);
      f.Find(button)->setVisible(false);
      f.window->ClearStopRequest();
      f.window->ClearCheckCancelRequest();
    }
    QVERIFY(f.window->isVisible());
    QVERIFY(!std::filesystem::exists(f.settingsFile));
    QVERIFY(f.window->close());
    QVERIFY(std::filesystem::exists(f.settingsFile));
  }
};

QTEST_MAIN(WindowOptionsTest)
#include "WindowOptionsTest.moc"
