// The window without a catalogue: the start-up shows the stored settings without writing them;
// one frame shows at a time; a switch refills the queries for the chosen kind of server and takes
// the table names, written on tab 5 only; the links, the strips' arrows, Ctrl+Tab and Ctrl+PageDown
// step through the tabs round the ends; Tab reaches the links, which Enter and Space follow; each
// option stores its own key as it is clicked; closing writes the connection boxes, and only asks a
// running scan or check to end. And what it opens: the links, the manual and the licence beside the
// program, the about box, the data-source editor; its icon is the scalable one a desktop shows.

#include <QApplication>

#include "catalogue/SqlDialect.h"
#include "gui/LinkLabel.h"
#include "gui/OpenDocument.h"
#include "support/ValidName.h"
#include "WindowFixture.h"
#include "workflows/xmpcustom/CustomXmpSummary.h"

using tessarine::test::ReadFile;
using tessarine::test::WindowFixture;
using tessarine::test::WriteFile;

namespace {

QString Q(const std::string& text) { return QString::fromStdString(text); }

// The window made active, so that its shortcuts take the keys.
struct KeyWindow : WindowFixture {
  KeyWindow() {
    QApplication::setActiveWindow(window.get());
    QVERIFY(QTest::qWaitForWindowActive(window.get()));
  }
  void Press(const char* name, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) const {
    Find(name)->setFocus();
    QTest::keyClick(Find(name), key, modifiers);
  }
};

// The controls that only matter when XMP is read (Only IPTC unticked): enabled and their bullets
// shown, or greyed and their bullets hidden.
void ExpectXmpControlsEnabled(const WindowFixture& f, bool enabled) {
  QCOMPARE(f.EnabledAmong({"optXMPOverIPTC_0", "optXMPOverIPTC_1", "cmdXMPCustomized", "txtXMPCustomized",
                           "lblHelpMetadata_6", "lblHelpMetadata_11", "chkKeepIimWhenXmpMissing"}, !enabled),
           QStringList());
  QVERIFY(f.Enabled("lblHelpMetadata_5") && !f.Hidden("ImagePuceMetadata_1"));
  QVERIFY(f.Hidden("ImagePuceMetadata_2") == !enabled && f.Hidden("ImagePuceMetadata_3") == !enabled);
}

}  // namespace

class WindowTabsTest : public QObject {
  Q_OBJECT

 private slots:
  void theStartUpShowsTheStoredSettingsAndTheFirstTabWithoutWritingAnything() {
    const char* stored =
        "[Connection]\nDSN=Pictures\nFileDSN=1\nLogin=scan\nPassword=s3cret\n"
        "[Database]\nDBMS=2\nFolders=Folders2\nImages=Images2\n"
        "[Configuration]\nCreateThumbnails=1\nReCreateThumbnails=1\n[Metadata]\nOnlyIPTC=1\n"
        "[XMPCustomized]\nNS1=http://ns.example.com/a/\nXMPFieldName1_1=one\nDBFieldName1_1=01\n";
    WindowFixture f(stored);
    const std::pair<const char*, std::string> texts[] = {
        {"txtDSN", "Pictures"},         {"txtLogin", "scan"},          {"txtPassword", "s3cret"},
        {"txtTableFolders", "Folders2"}, {"txtTableImages", "Images2"},
        {"txtXMPCustomized", tessarine::CustomXmpSummary(f.window->CurrentSettings().custom)}};
    for (const auto& [name, text] : texts) QCOMPARE(f.TextOf(name).toStdString(), text);
    for (const char* on :
         {"optDSN_1", "optDatabase_2", "chkOnlyIPTC", "optXMPOverIPTC_1", "chkThumbnails", "optThumbnails_0"}) {
      QVERIFY2(f.Checked(on), on);
    }
    ExpectXmpControlsEnabled(f, false);
    QVERIFY(f.Find<QTreeWidget>("lvFolders")->headerItem()->text(0).contains(QStringLiteral("'Folders2'")));
    QCOMPARE(ReadFile(f.settingsFile), std::string(stored));  // set before their handlers listened
  }

  void aSwitchRefillsTheQueriesAndTakesTheTableNamesWhichTabFiveWrites() {
    WindowFixture f;
    QCOMPARE(f.ShownFrame(), 1);
    for (const char* name : {"optThumbnails_0", "optThumbnails_1"}) QVERIFY(!f.Enabled(name) && !f.Checked(name));
    // Without settings the folder list's load found no data source: said; add and remove stay as they were.
    QCOMPARE(f.Status(), QStringLiteral("DSN not defined"));
    QCOMPARE(f.EnabledAmong({"cmdAddFolder", "cmdRemoveFolder"}, false), QStringList());
    QVERIFY(!f.Hidden("FrameHelp") && !std::filesystem::exists(f.settingsFile));
    int loads = 0;
    f.window->SetFolderListLoader([&loads] { ++loads; });
    f.ClickTab(1);  // already shown, but never switched to: the full switch runs
    QCOMPARE(f.Status(), QString());
    const auto& oracle = tessarine::SqlDialectFor(tessarine::DbmsKind::Oracle);
    f.Click("optDatabase_1");
    f.ClickTab(3);
    f.SetTexts({{"txtTableImages", QStringLiteral(" Images2 ")}});
    QCOMPARE(f.TextOf("txtTableImages"), QStringLiteral("Images2"));  // trimmed as typed
    f.ClickTab(2);
    QCOMPARE(f.TextOf("txtQuery"), Q(oracle.TestQuery()));
    QCOMPARE(f.TextOf("txtVerifyQuery"), Q(oracle.FirstRowsQuery(tessarine::test::ValidName("Images2"))));
    QVERIFY(f.TextOf("lblVerifyQuery").endsWith(QStringLiteral("'Images2'")));
    f.Find<QPlainTextEdit>("txtQuery")->setPlainText(QStringLiteral("select 2;"));
    f.ClickTab(2);  // the tab shown: nothing happens
    QCOMPARE(f.TextOf("txtQuery"), QStringLiteral("select 2;"));
    QCOMPARE(f.Setting("Database", "Images"), std::string());
    QCOMPARE(loads, 0);
    f.ClickTab(5);
    f.ClickTab(5);
    QCOMPARE(loads, 1);
    f.ExpectSettings("Database", {{"Images", "Images2"}});
  }

  void linksArrowsControlKeysAndTabStepThroughTheTabsAndTheirLinks() {
    KeyWindow f;
    for (int k = 1; k <= 5; ++k) {
      f.ClickLabel(QStringLiteral("lblNextStep_%1").arg(k));
      QVERIFY(f.window->CurrentTab() == k + 1 && f.ShownFrame() == k + 1);
      QCOMPARE(f.Find<QTabBar>("TabStripMain")->currentIndex(), k);
    }
    for (Qt::Key key : {Qt::Key_Right, Qt::Key_Left}) {
      f.Press("TabStripVerify", key);
      QVERIFY(f.Hidden("FrameVerify_1") == (key == Qt::Key_Right) && f.Hidden("FrameVerify_2") == (key == Qt::Key_Left));
    }
    const std::tuple<const char*, Qt::Key, Qt::KeyboardModifiers, int> steps[] = {
        {"txtVerifyQuery", Qt::Key_PageDown, Qt::ControlModifier, 7},
        {"txtSearchWords", Qt::Key_PageDown, Qt::ControlModifier, 1},
        {"cmdHelp", Qt::Key_PageUp, Qt::ControlModifier, 7},
        {"TabStripMain", Qt::Key_Left, Qt::NoModifier, 6},
        {"TabStripMain", Qt::Key_Left, Qt::NoModifier, 5},
        {"lvFolders", Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier, 4},
        {"cmdXMPCustomized", Qt::Key_PageUp, Qt::ControlModifier, 3},
        {"txtTableImages", Qt::Key_PageUp, Qt::ControlModifier, 2},
        {"txtQuery", Qt::Key_Tab, Qt::ControlModifier, 3},
        {"TabStripMain", Qt::Key_Right, Qt::NoModifier, 4}};
    for (const auto& [at, key, modifiers, tab] : steps) {
      f.Press(at, key, modifiers);
      QCOMPARE(f.ShownFrame(), tab);
      QCOMPARE(f.Find<QTabBar>("TabStripMain")->currentIndex(), tab - 1);
    }
    QVERIFY(!f.TextOf("txtQuery").contains(QLatin1Char('\t')));  // nothing was typed into it
    // Locked with the strip while a scan or check runs.
    f.Find("TabStripMain")->setEnabled(false);
    f.Press("cmdXMPCustomized", Qt::Key_PageDown, Qt::ControlModifier);
    QCOMPARE(f.ShownFrame(), 4);
    f.Find("TabStripMain")->setEnabled(true);

    // Tab leaves the query box and reaches the links, which Enter and Space follow.
    f.ClickTab(2);
    const QString text = f.TextOf("txtQuery");
    f.Press("txtQuery", Qt::Key_Tab);
    QVERIFY(f.TextOf("txtQuery") == text && !f.Find("txtQuery")->hasFocus());
    // From the test button, Tab goes on to the tab's link; Enter on it shows tab 3.
    auto* next = f.Find<tessarine::LinkLabel>("lblNextStep_2");
    f.Find("cmdTestingQuery")->setFocus();
    for (int presses = 0; presses < 10 && !next->hasFocus(); ++presses) {
      QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    }
    QTest::keyClick(next, Qt::Key_Return);
    QVERIFY(f.ShownFrame() == 3 && f.Find("TabStripMain")->hasFocus());
    // Tab enters the kinds of database at the checked one.
    f.ClickTab(1);
    f.Click("optDatabase_2");
    f.Press("TabStripMain", Qt::Key_Tab);
    QVERIFY(f.Find("optDatabase_2")->hasFocus());
    f.ClickTab(4);
    f.Press("lbLinkXMP", Qt::Key_Space);
    QCOMPARE(f.opened, std::vector<QString>{f.Find("lbLinkXMP")->toolTip()});
  }

  void choosingTheEmbeddedKindOffersTheEmbeddedCatalogue() {
    WindowFixture f("[Connection]\nDSN=server\n");
    const QByteArray dataHome = qgetenv("XDG_DATA_HOME");
    qputenv("XDG_DATA_HOME", QByteArray::fromStdString((f.dir / "data").string()));
    const std::string dataSource = (f.dir / "data" / "tessarine-pro" / "catalogue.dsn").string();
    // Declined: the kind is stored, the server's data source kept; accepted: the tabs show the catalogue.
    for (bool yes : {false, true}) {
      f.answerYes = yes;
      f.Click("optDatabase_3");
      QCOMPARE(f.window->CurrentSettings().dsn, yes ? dataSource : std::string("server"));
    }
    qputenv("XDG_DATA_HOME", dataHome);
    f.ExpectSettings("Database", {{"DBMS", "3"}});
    QVERIFY(f.TextOf("txtDSN") == Q(dataSource) && f.Checked("optDSN_1"));
    // The start's "data source not found", the two questions, then what was made.
    f.ExpectMessages(4, tessarine::MessageIcon::Information);
  }

  void eachOptionStoresItsKeyUnderTheEnablingRules() {
    WindowFixture f("[Database]\nDBMS=x\n[Configuration]\nReCreateThumbnails=1\n");
    // A click on the tab's control, and the keys it stores.
    const std::tuple<int, const char*, const char*, tessarine::test::Keys> clicks[] = {
        {1, "optDatabase_2", "Database", {{"DBMS", "2"}}},
        {1, "optDatabase_0", "Database", {{"DBMS", "0"}}},
        {4, "optXMPOverIPTC_1", "Metadata", {{"XMPOverIPTC", "0"}}},
        {4, "optXMPOverIPTC_0", "Metadata", {{"XMPOverIPTC", "1"}}},
        {4, "chkModernFormats", "Configuration", {{"ModernFormats", "0"}}},
        {4, "chkKeepIimWhenXmpMissing", "Metadata", {{"KeepIimWhenXmpMissing", "1"}}},
        {4, "chkOnlyIPTC", "Metadata", {{"OnlyIPTC", "1"}, {"XMPOverIPTC", "0"}}},
        {4, "chkOnlyIPTC", "Metadata", {{"OnlyIPTC", "0"}, {"XMPOverIPTC", "1"}}},
        {5, "chkOnlyChangedFiles", "Configuration", {{"OnlyChangedFiles", "1"}}},
        {5, "chkThumbnails", "Configuration", {{"CreateThumbnails", "1"}, {"ReCreateThumbnails", "0"}}},
        {5, "optThumbnails_0", "Configuration", {{"ReCreateThumbnails", "1"}}},
        {5, "chkThumbnailsFromPreviews", "Configuration", {{"ThumbnailsFromPreviews", "0"}}},
        {5, "chkThumbnails", "Configuration", {{"CreateThumbnails", "0"}, {"ReCreateThumbnails", "1"}}}};
    for (const auto& [tab, control, section, keys] : clicks) {
      f.ClickTab(tab);
      f.Click(control);
      f.ExpectSettings(section, keys);
      // Only IPTC greys the XMP controls and chooses IIM first.
      if (control == std::string("chkOnlyIPTC")) {
        ExpectXmpControlsEnabled(f, *keys[0].second == '0');
        QVERIFY(f.Checked(*keys[0].second == '0' ? "optXMPOverIPTC_0" : "optXMPOverIPTC_1"));
      }
    }
    // Thumbnails unticked: greyed, neither option shown (the recreate choice kept, above); ticked:
    // the frame enabled, "do not recreate" chosen.
    QVERIFY(!f.Enabled("frameThumbnails") && !f.Enabled("chkThumbnailsFromPreviews"));
    QVERIFY(!f.Checked("optThumbnails_0") && !f.Checked("optThumbnails_1"));
    f.Click("chkThumbnails");
    QVERIFY(f.Enabled("frameThumbnails") && f.Checked("optThumbnails_1"));
  }

  void closingWritesTheConnectionBoxesAndDuringARunOnlyAsksItToEnd() {
    WindowFixture f;
    for (bool scan : {true, false}) {
      const char* button = scan ? "cmdCancel" : "cmdCancelCheck";
      // Clicked, then (while a run shows its button) the window closed: each only asks that run to end.
      for (bool closing : {false, true}) {
        f.Find(button)->setVisible(closing);
        if (closing) QVERIFY(!f.window->close());
        else f.Click(button);
        QVERIFY(f.window->StopRequested() == scan && f.window->CheckCancelRequested() == !scan);
        f.window->ClearStopRequest();
        f.window->ClearCheckCancelRequest();
      }
      f.Find(button)->setVisible(false);
    }
    f.ClickTab(2);
    f.SetTexts({{"txtDSN", "Pictures"}, {"txtLogin", "scan"}, {"txtPassword", "pa;ss="}});
    f.Click("optDSN_1");
    QVERIFY(!std::filesystem::exists(f.settingsFile) && f.window->CurrentSettings().dsn.empty());
    f.Click("cmdOK");
    QVERIFY(!f.window->isVisible());
    f.ExpectSettings("Connection", {{"DSN", "Pictures"}, {"FileDSN", "1"}, {"Login", "scan"}, {"Password", "pa;ss="}});
    f.ExpectSettings("Database", {{"Folders", "Folders"}});
    // The connection first, then the tables: the sections appear in that order.
    const std::string text = ReadFile(f.settingsFile);
    QVERIFY(text.find("[Connection]") < text.find("[Database]"));
  }

  void linksHelpAndAboutOpenWhatTheyNameOrSayWhyNot() {
    WindowFixture f;
    // A link opens the address its tooltip shows (those of tab 4 as Space follows them, above).
    f.ClickTab(2);
    f.ClickLabel("lblLinkMySQLODBC");
    QCOMPARE(f.opened, std::vector<QString>{f.Find("lblLinkMySQLODBC")->toolTip()});
    f.opened.clear();

    // The manual beside the program, or a message naming it.
    f.ClickTab(1);
    f.window->SetProgramFolder(f.dir.path());
    const auto manual = f.dir / "Help" / "TessarinePro.pdf";
    f.Click("cmdHelp");
    f.ExpectMessages(1, tessarine::MessageIcon::Exclamation);
    QCOMPARE(f.messages[0].text, "Missing help file:\n" + manual.string());
    std::filesystem::create_directories(manual.parent_path());
    WriteFile(manual, "%PDF-1.4\n");
    f.Click("cmdHelp");
    QCOMPARE(f.opened, (std::vector<QString>{Q(manual.string())}));

    // The about box and the title take the version from the same build; its links open.
    QString version;
    f.onDialog = [&](QDialog& about) {
      version = about.findChild<QLabel*>(QStringLiteral("lblHelpAbout_0"))->text().section(QLatin1Char(' '), -1);
      for (const char* name : {"lblLinkIPTCIIM", "lbLinkIPTCCore", "lbLinkXMP", "lblFreeImageLicense", "ImageLogo"}) {
        tessarine::test::ClickCentre(tessarine::test::FindIn(&about, QString::fromLatin1(name)));
      }
    };
    f.Click("cmdAbout");
    QCOMPARE(f.dialogs, (std::vector<QString>{QStringLiteral("frmAbout")}));
    QVERIFY(!version.isEmpty() && f.window->windowTitle().endsWith(QStringLiteral(" - ") + version));
    QVERIFY(f.opened.size() == 6 && f.opened[4] == Q((f.dir / "license-fi.txt").string()));

    // What cannot be opened is said with its address; a blank target says nothing.
    QVERIFY(!tessarine::OpenDocument(QStringLiteral("   ")));
    f.window->SetDocumentOpener([](const QString&) { return false; });
    f.ClickTab(4);
    f.ClickLabel("lbLinkXMP");
    f.ExpectMessages(2, tessarine::MessageIcon::Exclamation);
    QVERIFY(Q(f.messages[1].text).contains(f.Find("lbLinkXMP")->toolTip()));
    f.Find("lbLinkXMP")->setToolTip(QString());
    f.ClickLabel("lbLinkXMP");
    QCOMPARE(f.messages.size(), std::size_t(2));
  }

  void odbcAdministratorStartsAnEditorOnThePathElseOpensTheUsersDataSourceFile() {
    WindowFixture f;
    f.ClickTab(2);
    const QByteArray path = qgetenv("PATH");
    const QByteArray here = QByteArray::fromStdString(f.dir.path().string());
    const auto ini = f.dir / "odbc.ini";
    qputenv("ODBCINI", QByteArray::fromStdString(ini.string()));
    qputenv("PATH", here);
    f.ClickLabel("lblRunODBCAdministrator");
    QVERIFY(f.opened == std::vector<QString>{Q(ini.string())} && std::filesystem::exists(ini));
    // Started, the editor is all: the file is not opened again.
    WriteFile(f.dir / "ODBCManageDataSourcesQ5", "#!/bin/sh\n");
    std::filesystem::permissions(f.dir / "ODBCManageDataSourcesQ5", std::filesystem::perms::owner_all);
    qputenv("PATH", here + ":" + path);
    f.ClickLabel("lblRunODBCAdministrator");
    qputenv("PATH", path);
    qunsetenv("ODBCINI");
    QCOMPARE(f.opened.size(), std::size_t(1));
  }
};

QTEST_MAIN(WindowTabsTest)
#include "WindowTabsTest.moc"
