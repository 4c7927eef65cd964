// What the window opens and shows beyond its tabs: the manual beside the program, the about box,
// the web links, the data-source editor; and its icon, which the scalable one a desktop shows in
// its menus (data/tessarine-pro.svg) must match.

#include <QPainter>
#include <QSvgRenderer>

#include "gui/OpenDocument.h"
#include "gui/ProgramIcon.h"
#include "WindowFixture.h"

using tessarine::test::WindowFixture;
using tessarine::test::WriteFile;

class WindowLinksTest : public QObject {
  Q_OBJECT

 private slots:
  void helpAndAboutOpenTheManualAndTheAboutBoxBesideTheProgram() {
    WindowFixture f;
    f.window->SetProgramFolder(f.dir.path());
    const auto manual = f.dir / "Help" / "TessarinePro.pdf";
    f.Click("cmdHelp");
    f.ExpectMessages(1, tessarine::MessageIcon::Exclamation);
    QCOMPARE(f.messages[0].text, "Missing help file:\n" + manual.string());
    std::filesystem::create_directories(manual.parent_path());
    WriteFile(manual, "%PDF-1.4\n");
    f.Click("cmdHelp");
    QCOMPARE(f.opened, (std::vector<QString>{QString::fromStdString(manual.string())}));

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
    QCOMPARE(f.opened.size(), std::size_t(6));
    QCOMPARE(f.opened[4], QString::fromStdString((f.dir / "license-fi.txt").string()));
    for (std::size_t i : {1u, 2u, 3u, 5u}) QVERIFY(f.opened[i].startsWith(QStringLiteral("https://")));
  }

  void theBuiltManualIsARealPdfBesideTheLicence() {
    // The build writes them beside the window's program; this test program lives elsewhere.
    const auto pdf = std::filesystem::path(qgetenv("TESSARINE_BINARY_DIR").toStdString()) / "src/gui/Help/TessarinePro.pdf";
    const std::string bytes = tessarine::test::ReadFile(pdf);
    QVERIFY(bytes.starts_with("%PDF-") && bytes.size() > 20000);  // several pages, not an empty document
    const std::string licence = tessarine::test::ReadFile(pdf.parent_path().parent_path() / "license-fi.txt");
    QVERIFY(licence.starts_with("FreeImage Public License - Version 1.0"));
  }

  void linkLabelsOpenTheAddressInTheirTooltipOrSayWhyNot() {
    WindowFixture f;
    const std::pair<int, const char*> links[] = {
        {2, "lblLinkMySQLODBC"}, {2, "lblLinkPostgresODBC"}, {4, "lblLinkIPTCIIM"}, {4, "lbLinkXMP"}, {4, "lbLinkIPTCCore"}};
    for (const auto& [tab, name] : links) {
      f.ClickTab(tab);
      auto* label = f.Find<QLabel>(name);
      label->setToolTip(label->toolTip() + QStringLiteral("?moved"));
      f.opened.clear();
      f.ClickLabel(name);
      QCOMPARE(f.opened, std::vector<QString>{label->toolTip()});
    }
    QVERIFY(!tessarine::OpenDocument(QStringLiteral("   ")));

    // What cannot be opened is said with its address; a blank target says nothing.
    f.window->SetDocumentOpener([](const QString&) { return false; });
    f.ClickLabel("lbLinkXMP");
    f.ExpectMessages(1, tessarine::MessageIcon::Exclamation);
    QVERIFY(QString::fromStdString(f.messages[0].text).contains(f.Find("lbLinkXMP")->toolTip()));
    f.Find("lbLinkXMP")->setToolTip(QString());
    f.ClickLabel("lbLinkXMP");
    f.ExpectMessages(1, tessarine::MessageIcon::Exclamation);
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
    QCOMPARE(f.opened, (std::vector<QString>{QString::fromStdString(ini.string())}));
    QVERIFY(std::filesystem::exists(ini));

    const auto marker = f.dir / "started";
    const auto editor = f.dir / "ODBCManageDataSourcesQ5";
    WriteFile(editor, "#!/bin/sh\ntouch '" + marker.string() + "'\n");
    std::filesystem::permissions(editor, std::filesystem::perms::owner_all);
    qputenv("PATH", here + ":" + path);
    f.ClickLabel("lblRunODBCAdministrator");
    qputenv("PATH", path);
    qunsetenv("ODBCINI");
    QTRY_VERIFY_WITH_TIMEOUT(std::filesystem::exists(marker), 10000);
    QCOMPARE(f.opened.size(), std::size_t(1));
  }


  // Both rendered at 128x128 and shrunk to 16x16 (each pixel the mean of an 8x8 block): the same
  // colours, but for the few levels by which anti-aliased edges differ.
  void theScalableIconIsTheDrawnOne() {
    QSvgRenderer renderer(qEnvironmentVariable("TESSARINE_SOURCE_DIR") + QStringLiteral("/data/tessarine-pro.svg"));
    QVERIFY(renderer.isValid());
    QImage scalable(128, 128, QImage::Format_ARGB32);
    scalable.fill(Qt::transparent);
    QPainter painter(&scalable);
    painter.setRenderHint(QPainter::Antialiasing);
    renderer.render(&painter, QRectF(0, 0, 128, 128));
    painter.end();
    const QImage drawn = tessarine::DrawProgramIcon(128).toImage().convertToFormat(QImage::Format_ARGB32);
    const QImage a = drawn.scaled(16, 16, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    const QImage b = scalable.scaled(16, 16, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    for (int y = 0; y < 16; ++y) {
      for (int x = 0; x < 16; ++x) {
        for (int shift : {0, 8, 16, 24}) {
          const int difference = int((a.pixel(x, y) >> shift) & 0xFF) - int((b.pixel(x, y) >> shift) & 0xFF);
          QVERIFY2(std::abs(difference) < 12, qPrintable(QStringLiteral("block at %1,%2").arg(x).arg(y)));
        }
      }
    }
  }
};

QTEST_MAIN(WindowLinksTest)
#include "WindowLinksTest.moc"
