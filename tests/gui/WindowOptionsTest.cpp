// Each option control stores its own key as it is clicked, under the enabling rules of the
// metadata and scan tabs; the connection boxes are written on closing, which a running scan or
// check refuses.

#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "WindowFixture.h"

using tessarine::test::WindowFixture;

class WindowOptionsTest : public QObject {
  Q_OBJECT

 private slots:
  void databaseKindAndPrecedenceOptionsStoreTheirChoice() {
    WindowFixture f("[Database]\nDBMS=x\n");
    f.ClickTab(1);
    for (int kind : {2, 1, 3, 0}) {
      const QByteArray name = QStringLiteral("optDatabase_%1").arg(kind).toLatin1();
      f.Click(name.constData());
      QCOMPARE(f.Setting("Database", "DBMS"), std::to_string(kind));
      QCOMPARE(static_cast<int>(f.window->CurrentSettings().dbms), kind);
    }
    f.ClickTab(4);
    f.Click("optXMPOverIPTC_1");
    QCOMPARE(f.Setting("Metadata", "XMPOverIPTC"), std::string("0"));
    QVERIFY(!f.window->CurrentSettings().xmpOverIptc);
    f.Click("optXMPOverIPTC_0");
    QCOMPARE(f.Setting("Metadata", "XMPOverIPTC"), std::string("1"));
  }

  void onlyIptcTickedGreysXmpControlsAndStoresBothFlags() {
    WindowFixture f;
    f.ClickTab(4);
    f.Click("chkOnlyIPTC");
    QCOMPARE(f.Setting("Metadata", "OnlyIPTC"), std::string("1"));
    QCOMPARE(f.Setting("Metadata", "XMPOverIPTC"), std::string("0"));
    QVERIFY(f.Checked("optXMPOverIPTC_1"));
    f.ExpectXmpControlsEnabled(false);

    f.Click("chkOnlyIPTC");
    QCOMPARE(f.Setting("Metadata", "OnlyIPTC"), std::string("0"));
    QCOMPARE(f.Setting("Metadata", "XMPOverIPTC"), std::string("1"));
    QVERIFY(f.Checked("optXMPOverIPTC_0"));
    f.ExpectXmpControlsEnabled(true);
  }

  void thumbnailsTickedEnableTheFrameAndChooseDoNotRecreate() {
    WindowFixture f("[Configuration]\nReCreateThumbnails=1\n");
    f.ClickTab(5);
    f.Click("chkThumbnails");
    QCOMPARE(f.Setting("Configuration", "CreateThumbnails"), std::string("1"));
    QCOMPARE(f.Setting("Configuration", "ReCreateThumbnails"), std::string("0"));
    QVERIFY(f.Enabled("frameThumbnails"));
    QVERIFY(f.Checked("optThumbnails_1"));
    f.Click("optThumbnails_0");
    QCOMPARE(f.Setting("Configuration", "ReCreateThumbnails"), std::string("1"));

    // Unticked: greyed, neither option shown, the recreate choice kept as stored.
    f.Click("chkThumbnails");
    QCOMPARE(f.Setting("Configuration", "CreateThumbnails"), std::string("0"));
    QCOMPARE(f.Setting("Configuration", "ReCreateThumbnails"), std::string("1"));
    QVERIFY(!f.Enabled("frameThumbnails"));
    QVERIFY(!f.Checked("optThumbnails_0") && !f.Checked("optThumbnails_1"));
  }

  void connectionBoxesReachTheSettingsOnlyOnClosing() {
    WindowFixture f;
    f.ClickTab(2);
    f.Find<QLineEdit>("txtDSN")->setText(QStringLiteral("Pictures"));
    f.Find<QLineEdit>("txtLogin")->setText(QStringLiteral("scan"));
    f.Find<QLineEdit>("txtPassword")->setText(QStringLiteral("pa;ss="));
    f.Click("optDSN_1");
    QVERIFY(!std::filesystem::exists(f.settingsFile));
    QCOMPARE(f.window->CurrentSettings().dsn, std::string());

    f.Click("cmdOK");
    QVERIFY(!f.window->isVisible());
    QCOMPARE(f.Setting("Connection", "DSN"), std::string("Pictures"));
    QCOMPARE(f.Setting("Connection", "FileDSN"), std::string("1"));
    QCOMPARE(f.Setting("Connection", "Login"), std::string("scan"));
    QCOMPARE(f.Setting("Connection", "Password"), std::string("pa;ss="));
    QCOMPARE(f.Setting("Database", "Folders"), std::string("Folders"));
    // The connection first, then the tables: the sections appear in that order.
    const std::string text = f.SettingsText();
    QVERIFY(text.find("[Connection]") < text.find("[Database]"));
  }

  void stopCancelAndClosingDuringARunOnlyAskTheRunToEnd() {
    WindowFixture f;
    f.Click("cmdCancel");
    QVERIFY(f.window->StopRequested() && !f.window->CheckCancelRequested());
    f.window->ClearStopRequest();
    f.Click("cmdCancelCheck");
    QVERIFY(f.window->CheckCancelRequested() && !f.window->StopRequested());
    f.window->ClearCheckCancelRequest();

    // While a run shows its Stop or Cancel button, closing is refused and asks that run to end.
    auto* stop = f.Find<QPushButton>("cmdCancel");
    stop->setVisible(true);
    QVERIFY(!f.window->close());
    QVERIFY(f.window->StopRequested() && !f.window->CheckCancelRequested());
    stop->setVisible(false);
    f.window->ClearStopRequest();
    auto* cancel = f.Find<QPushButton>("cmdCancelCheck");
    cancel->setVisible(true);
    QVERIFY(!f.window->close());
    QVERIFY(f.window->CheckCancelRequested() && !f.window->StopRequested());
    cancel->setVisible(false);
    QVERIFY(f.window->isVisible());
    QVERIFY(!std::filesystem::exists(f.settingsFile));
    QVERIFY(f.window->close());
    QVERIFY(std::filesystem::exists(f.settingsFile));
  }
};

QTEST_MAIN(WindowOptionsTest)
#include "WindowOptionsTest.moc"
