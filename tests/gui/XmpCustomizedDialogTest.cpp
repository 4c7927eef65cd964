// The custom XMP editor and its column chooser, driven by object name: the boxes show the
// definition, the check's verdict shows in the status box, the chooser's options follow
// OpenColumnChooser and write the row's column box; the window saves what the editor accepts
// only. The rules themselves are CustomXmpCheck's and ColumnChooser's, tested with them.

#include <QRadioButton>

#include "gui/xmpcustom/XmpCustomizedDialog.h"
#include "WindowFixture.h"
#include "workflows/xmpcustom/ColumnChooser.h"
#include "workflows/xmpcustom/CustomXmpCheck.h"
#include "workflows/xmpcustom/CustomXmpSummary.h"

using tessarine::test::FindIn;

namespace {

template <class Widget = QPushButton>
Widget* At(const QObject* dialog, const char* name, int index = -1) {
  return FindIn<Widget>(dialog, QString::fromLatin1(name) + (index < 0 ? QString() : QStringLiteral("_%1").arg(index)));
}

// The editor on two schemas, the third with a namespace ending in '#', and a field whose stored
// column is none; its boxes by name and index.
struct Editor : tessarine::XmpCustomizedDialog {
  Editor() : XmpCustomizedDialog(Stored()) {}
  static tessarine::CustomXmpDefinition Stored() {
    tessarine::CustomXmpDefinition definition;
    definition.schemas[0] = {"Studio", "http://ns.example.com/s/", "studio", {}};
    definition.schemas[0].properties[0] = {"Shoot", "01"};
    definition.schemas[0].properties[1] = {"ClientName", "e"};
    definition.schemas[0].properties[4] = {"Agency", "05"};
    definition.schemas[2] = {"Archive", "http://ns.example.com/a#", "arc", {{"Box", "100"}}};
    return definition;
  }
  QLineEdit* Box(const char* name, int index) const { return At<QLineEdit>(this, name, index); }
  QString Column(int row) const { return Box("txtDBFieldName", row)->text(); }
  QString Status() const { return At<QPlainTextEdit>(this, "lblStatus")->toPlainText(); }
  // Opens the column chooser of a row, handing it to `run` instead of showing it.
  void Choose(int row, std::function<void(QDialog&)> run) {
    SetDialogRunner(std::move(run));
    At(this, "cmdChoose", row)->click();
  }
};

}  // namespace

class XmpCustomizedDialogTest : public QObject {
  Q_OBJECT

 private slots:
  void theBoxesShowTheDefinitionAndAnEmptyDescriptionGreysItsSchema() {
    Editor dialog;
    QVERIFY2(dialog.Status().contains(QStringLiteral("'ClientName' (schema #1, field #2): the stored column 'e'")) &&
                 !dialog.Status().contains(QStringLiteral("'Shoot'")),
             qPrintable(dialog.Status()));
    auto* tabs = At<QTabBar>(&dialog, "TabStripCustomized");
    QCOMPARE(tabs->tabText(2), QStringLiteral("Archive"));
    QVERIFY(dialog.Column(4) == QStringLiteral("XMPCustom05") && dialog.Column(20) == QStringLiteral("XMPCustom100"));
    tabs->setCurrentIndex(2);
    for (int k = 0; k < 10; ++k) QCOMPARE(At<QWidget>(&dialog, "FrameCustomized", k)->isHidden(), k != 2);
    // Columns are chosen only: typing into their boxes changes nothing.
    for (int row = 0; row < 100; ++row) QVERIFY(dialog.Box("txtDBFieldName", row)->isReadOnly());

    QVERIFY(!dialog.Box("txtNameSpace", 1)->isEnabled() && !At(&dialog, "cmdChoose", 15)->isEnabled());
    dialog.Box("txtDescriptionName", 1)->setText(QStringLiteral("People"));
    QCOMPARE(tabs->tabText(1), QStringLiteral("People"));
    QVERIFY(dialog.Box("txtNameSpace", 1)->isEnabled() && dialog.Box("txtXMPFieldName", 19)->isEnabled());
    dialog.Box("txtDescriptionName", 1)->clear();
    QVERIFY(!dialog.Box("txtPrefix", 1)->isEnabled() && dialog.Box("txtDescriptionName", 1)->isEnabled());
    QVERIFY(!dialog.Status().isEmpty());  // says what to type
  }

  void saveShowsTheChecksVerdictOrTakesTheBoxes() {
    Editor dialog;
    tessarine::test::SetTexts(&dialog, {{"txtPrefix_0", "dc"}, {"txtDBFieldName_4", "XMPCustom01"}});
    const tessarine::CustomXmpCheckResult refused = tessarine::CheckCustomXmpBoxes(dialog.Boxes());
    At(&dialog, "cmdOK")->click();
    QCOMPARE(dialog.Status().toStdString(), refused.message);
    QCOMPARE(At<QListWidget>(&dialog, "lstControlNS")->count(), int(refused.controlEntries.size()));
    QCOMPARE(dialog.result(), int(QDialog::Rejected));

    tessarine::test::SetTexts(&dialog, {{"txtPrefix_0", "studio"}, {"txtDBFieldName_1", "XMPCustom02"},
                                        {"txtDBFieldName_4", "XMPCustom07"}, {"txtDescriptionName_1", " People "},
                                        {"txtNameSpace_1", "http://ns.example.com/p/"}, {"txtPrefix_1", "p"}});
    At(&dialog, "cmdOK")->click();
    QVERIFY(dialog.Status().isEmpty() && dialog.result() == QDialog::Accepted);
    QCOMPARE(dialog.Definition().schemas[1].description, std::string(" People "));
    QCOMPARE(dialog.Definition().schemas[0].properties[4].dbFieldName, std::string("07"));
  }

  void chooserOptionsFollowTheRowsStateAndWriteItsBox() {
    Editor dialog;
    const auto state = tessarine::OpenColumnChooser(tessarine::ColumnBoxesOf(dialog.Boxes()), 4, true);
    dialog.Choose(4, [&](QDialog& chooser) {
      for (int n = 0; n < tessarine::kCustomRowCount; ++n) {
        QCOMPARE(At<QRadioButton>(&chooser, "optFieldNumber", n)->isEnabled(), state.enabled[n]);
        QCOMPARE(At<QRadioButton>(&chooser, "optFieldNumber", n)->isChecked(), n == state.selected);
      }
      At<QRadioButton>(&chooser, "optFieldNumber", 6)->click();
      QCOMPARE(dialog.Column(4), QStringLiteral("XMPCustom07"));
      At(&chooser, "cmdOK")->click();
    });
    QVERIFY(dialog.CurrentRow() == 4 && dialog.Column(4) == QStringLiteral("XMPCustom07"));

    // A new property is given its column on opening; Cancel restores what the row had then, Clear empties it.
    dialog.Box("txtXMPFieldName", 2)->setText(QStringLiteral("Rating"));
    const auto fresh = tessarine::OpenColumnChooser(tessarine::ColumnBoxesOf(dialog.Boxes()), 2, true);
    dialog.Choose(2, [&](QDialog& chooser) {
      QCOMPARE(dialog.Column(2).toStdString(), tessarine::ColumnBoxText(tessarine::ColumnOptionCaption(fresh.selected)));
      At(&chooser, "cmdCancel")->click();
    });
    QCOMPARE(dialog.Column(2), QString());
    dialog.Choose(0, [](QDialog& chooser) {
      At<QRadioButton>(&chooser, "optFieldNumber", 40)->click();
      At(&chooser, "cmdCancel")->click();
    });
    QCOMPARE(dialog.Column(0), QStringLiteral("XMPCustom01"));
    dialog.Choose(0, [](QDialog& chooser) { At(&chooser, "cmdClear")->click(); });
    QCOMPARE(dialog.Column(0), QString());
  }

  void theWindowSavesWhatTheEditorAcceptsOnly() {
    tessarine::test::WindowFixture f;
    f.ClickTab(4);
    const QString before = f.TextOf("txtXMPCustomized");
    for (const char* button : {"cmdCancel", "cmdOK"}) {
      f.onDialog = [button](QDialog& editor) {
        tessarine::test::SetTexts(&editor, {{"txtDescriptionName_0", "Studio"}, {"txtPrefix_0", "studio"},
                                            {"txtNameSpace_0", "http://ns.example.com/s/"},
                                            {"txtXMPFieldName_0", "Shoot"}, {"txtDBFieldName_0", "XMPCustom07"}});
        At(&editor, button)->click();
      };
      f.Click("cmdXMPCustomized");
      QCOMPARE(std::filesystem::exists(f.settingsFile), button == std::string("cmdOK"));
    }
    QCOMPARE(f.dialogs, (std::vector<QString>(2, QStringLiteral("frmXMPCustomized"))));
    f.ExpectSettings("XMPCustomized", {{"DBFieldName1_1", "07"}});
    QCOMPARE(f.TextOf("txtXMPCustomized").toStdString(), tessarine::CustomXmpSummary(f.window->CurrentSettings().custom));
    QVERIFY(f.TextOf("txtXMPCustomized") != before);
  }
};

QTEST_MAIN(XmpCustomizedDialogTest)
#include "XmpCustomizedDialogTest.moc"
