// Help, about box, web links, the data-source editor and the custom XMP editor as the window
// opens them.

#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <fstream>

#include "core/WindowTitle.h"
#include "gui/OpenDocument.h"
#include "WindowFixture.h"

using tessarine::MessageIcon;
using tessarine::test::WindowFixture;

class WindowLinksTest : public QObject {
  Q_OBJECT

 private slots:
  void helpWithoutTheManualNamesTheExpectedPath() {
    WindowFixture f;
    f.window->SetProgramFolder(f.dir.path());
    f.Click("cmdHelp");
    const std::string expected = (f.dir / "Help" / "TessarinePro.pdf").string();
    QCOMPARE(f.messages.size(), std::size_t(1));
    QCOMPARE(f.messages[0].text, "Missing help file:\n" + expected);
    QCOMPARE(f.messages[0].icon, MessageIcon::Exclamation);
    QCOMPARE(f.messages[0].title, std::string(tessarine::kWindowTitle));
    QVERIFY(f.opened.empty());
  }

  void helpOpensTheManualBesideTheProgram() {
    WindowFixture f;
    std::filesystem::create_directories(f.dir / "Help");
    tessarine::test::WriteFile(f.dir / "Help" / "TessarinePro.pdf", "%PDF-1.4\n");
    f.window->SetProgramFolder(f.dir.path());
    f.Click("cmdHelp");
    QVERIFY(f.messages.empty());
    QCOMPARE(f.opened, (std::vector<QString>{QString::fromStdString((f.dir / "Help" / "TessarinePro.pdf").string())}));
  }

  void theBuiltManualIsARealPdf() {
    // The build writes the manual beside the program; this test program lives elsewhere.
    const char* binary = std::getenv("TESSARINE_BINARY_DIR");
    QVERIFY(binary);
    const auto pdf = std::filesystem::path(binary) / "src/gui/Help/TessarinePro.pdf";
    const std::string bytes = tessarine::test::ReadFile(pdf);
    QVERIFY(bytes.rfind("%PDF-", 0) == 0);
    QVERIFY(bytes.size() > 20000);  // several pages of text, not an empty document
    const std::string licence = tessarine::test::ReadFile(pdf.parent_path().parent_path() / "license-fi.txt");
    QVERIFY(licence.rfind("FreeImage Public License - Version 1.0", 0) == 0);
  }

  void linkLabelsOpenTheAddressInTheirTooltip() {
    WindowFixture f;
    const std::pair<int, const char*> links[] = {{2, "lblLinkMySQLODBC"}, {2, "lblLinkPostgresODBC"},
                                                 {4, "lblLinkIPTCIIM"},   {4, "lbLinkXMP"},
                                                 {4, "lbLinkIPTCCore"}};
    for (const auto& [tab, name] : links) {
      f.ClickTab(tab);
      auto* label = f.Find<QLabel>(name);
      QVERIFY(label->toolTip().startsWith(QStringLiteral("https://")));
      label->setToolTip(label->toolTip() + QStringLiteral("?moved"));
      f.opened.clear();
      f.ClickLabel(name);
      QCOMPARE(f.opened, (std::vector<QString>{label->toolTip()}));
    }
  }

  void anEmptyTargetOpensNothing() {
    QVERIFY(!tessarine::OpenDocument(QString()));
    QVERIFY(!tessarine::OpenDocument(QStringLiteral("   ")));
  }

  void aboutBoxShowsTheTitleVersionAndOpensItsTargets() {
    WindowFixture f;
    f.window->SetProgramFolder(f.dir.path());
    QString versionLine;
    f.onDialog = [&](QDialog& about) {
      QCOMPARE(about.windowTitle(), QStringLiteral("About Tessarine PRO"));
      versionLine = about.findChild<QLabel*>(QStringLiteral("lblHelpAbout_0"))->text();
      for (const char* name : {"lblLinkIPTCIIM", "lbLinkIPTCCore", "lbLinkXMP", "lblFreeImageLicense", "ImageLogo"}) {
        QWidget* link = about.findChild<QWidget*>(QString::fromLatin1(name));
        QVERIFY(link);
        QVERIFY(link->toolTip().isEmpty());
        QTest::mouseClick(link, Qt::LeftButton, {}, link->rect().center());
      }
      about.findChild<QPushButton*>(QStringLiteral("cmdOK"))->click();
    };
    f.Click("cmdAbout");
    QCOMPARE(f.dialogs, (std::vector<QString>{QStringLiteral("frmAbout")}));
    QVERIFY(f.window->windowTitle().endsWith(versionLine.mid(QStringLiteral("Tessarine PRO version ").size())));
    QCOMPARE(versionLine, QStringLiteral("Tessarine PRO version ") + QString::fromUtf8(tessarine::kVersionText.data()));
    QCOMPARE(f.opened.size(), std::size_t(5));
    QCOMPARE(f.opened[3], QString::fromStdString((f.dir / "license-fi.txt").string()));
    for (std::size_t i : {0u, 1u, 2u, 4u}) QVERIFY(f.opened[i].startsWith(QStringLiteral("https://")));
  }

  void odbcAdministratorStartsTheFirstEditorOnThePath() {
    WindowFixture f;
    const auto marker = f.dir / "started";
    const auto editor = f.dir / "ODBCManageDataSourcesQ5";
    tessarine::test::WriteFile(editor, "#!/bin/sh\ntouch '" + marker.string() + "'\n");
    std::filesystem::permissions(editor, std::filesystem::perms::owner_all);
    const QByteArray path = qgetenv("PATH");
    qputenv("PATH", QByteArray::fromStdString(f.dir.path().string()) + ":" + path);
    f.ClickTab(2);
    f.ClickLabel("lblRunODBCAdministrator");
    qputenv("PATH", path);
    QTRY_VERIFY_WITH_TIMEOUT(std::filesystem::exists(marker), 10000);
    QVERIFY(f.opened.empty());
    QVERIFY(f.window->isVisible());
  }

  void withoutAnEditorTheUsersDataSourceFileIsOpened() {
    WindowFixture f;
    const auto ini = f.dir / "odbc.ini";
    const QByteArray path = qgetenv("PATH");
    qputenv("PATH", QByteArray::fromStdString(f.dir.path().string()));
    qputenv("ODBCINI", QByteArray::fromStdString(ini.string()));
    f.ClickTab(2);
    f.ClickLabel("lblRunODBCAdministrator");
    qputenv("PATH", path);
    qunsetenv("ODBCINI");
    QCOMPARE(f.opened, (std::vector<QString>{QString::fromStdString(ini.string())}));
    QVERIFY(std::filesystem::exists(ini));
  }

  void customXmpEditorSaveStoresTheDefinitionsAndTheSummary() {
    WindowFixture f;
    f.ClickTab(4);
    f.onDialog = [](QDialog& editor) {
      if (editor.objectName() != QStringLiteral("frmXMPCustomized")) return;
      editor.findChild<QLineEdit*>(QStringLiteral("txtDescriptionName_0"))->setText(QStringLiteral("Studio"));
      editor.findChild<QLineEdit*>(QStringLiteral("txtNameSpace_0"))->setText(QStringLiteral("http://ns.example.com/s/"));
      editor.findChild<QLineEdit*>(QStringLiteral("txtPrefix_0"))->setText(QStringLiteral("studio"));
      editor.findChild<QLineEdit*>(QStringLiteral("txtXMPFieldName_0"))->setText(QStringLiteral("Shoot"));
      editor.findChild<QLineEdit*>(QStringLiteral("txtDBFieldName_0"))->setText(QStringLiteral("XMPCustom07"));
      editor.findChild<QPushButton*>(QStringLiteral("cmdOK"))->click();
    };
    f.Click("cmdXMPCustomized");
    QCOMPARE(f.Find<QPlainTextEdit>("txtXMPCustomized")->toPlainText(),
             QStringLiteral("Custom fields defined: 1\nXMP Schemas defined: 1"));
    QCOMPARE(f.Setting("XMPCustomized", "DBFieldName1_1"), std::string("07"));
    QCOMPARE(f.window->CurrentSettings().custom.schemas[0].properties[0].dbFieldName, std::string("07"));
  }

  void customXmpEditorCancelStoresNothing() {
    WindowFixture f;
    f.onDialog = [](QDialog& editor) {
      editor.findChild<QLineEdit*>(QStringLiteral("txtDescriptionName_0"))->setText(QStringLiteral("Studio"));
      editor.findChild<QPushButton*>(QStringLiteral("cmdCancel"))->click();
    };
    f.Click("cmdXMPCustomized");
    QVERIFY(!std::filesystem::exists(f.settingsFile));
    QCOMPARE(f.window->CurrentSettings().custom.schemas[0].description, std::string());
  }
};

QTEST_MAIN(WindowLinksTest)
#include "WindowLinksTest.moc"
