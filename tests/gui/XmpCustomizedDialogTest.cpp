// The custom XMP editor and its column chooser, driven by object name: the boxes show the
// definition, the check's verdict shows in the status box, the chooser's options follow
// OpenColumnChooser and write the row's column box. The rules themselves are CustomXmpCheck's
// and ColumnChooser's, tested with them.

#include <QRadioButton>

#include "WindowFixture.h"
#include "gui/xmpcustom/DbFieldNameDialog.h"
#include "gui/xmpcustom/XmpCustomizedDialog.h"
#include "workflows/xmpcustom/ColumnChooser.h"
#include "workflows/xmpcustom/CustomXmpCheck.h"

using tessarine::test::FindIn;

namespace {

tessarine::CustomXmpDefinition Stored() {
  tessarine::CustomXmpDefinition definition;
  definition.schemas[0] = {"Studio", "http://ns.example.com/s/", "studio", {}};
  definition.schemas[0].properties[0] = {"Shoot", "01"};
  definition.schemas[0].properties[4] = {"Agency", "05"};
  definition.schemas[2] = {"Archive", "http://ns.example.com/a#", "arc", {}};
  definition.schemas[2].properties[0] = {"Box", "100"};
  return definition;
}

void Click(const QObject* dialog, const char* name) { FindIn<QPushButton>(dialog, QString::fromLatin1(name))->click(); }

// The editor on Stored(), its boxes by name and index.
struct Editor : tessarine::XmpCustomizedDialog {
  Editor() : XmpCustomizedDialog(Stored()) {}
  QLineEdit* Box(const char* name, int index) const {
    return FindIn<QLineEdit>(this, QStringLiteral("%1_%2").arg(QLatin1String(name)).arg(index));
  }
  QString Column(int row) const { return Box("txtDBFieldName", row)->text(); }
  QString Status() const { return FindIn<QPlainTextEdit>(this, QStringLiteral("lblStatus"))->toPlainText(); }
  // Opens the column chooser of a row, handing it to `run` instead of showing it.
  void Choose(int row, std::function<void(QDialog&)> run) {
    SetDialogRunner(std::move(run));
    FindIn<QPushButton>(this, QStringLiteral("cmdChoose_%1").arg(row))->click();
  }
};

QRadioButton* Option(const QDialog& chooser, int n) {
  return FindIn<QRadioButton>(&chooser, QStringLiteral("optFieldNumber_%1").arg(n));
}

}  // namespace

class XmpCustomizedDialogTest : public QObject {
  Q_OBJECT

 private slots:
  void loadingShowsEachSchemaAndAnEmptyDescriptionGreysItsSchema() {
    Editor dialog;
    auto* tabs = FindIn<QTabBar>(&dialog, QStringLiteral("TabStripCustomized"));
    QCOMPARE(tabs->tabText(0), QStringLiteral("Studio"));
    QCOMPARE(tabs->tabText(2), QStringLiteral("Archive"));
    QCOMPARE(dialog.Column(4), QStringLiteral("XMPCustom05"));
    QCOMPARE(dialog.Column(20), QStringLiteral("XMPCustom100"));
    tabs->setCurrentIndex(2);
    for (int k = 0; k < 10; ++k) QCOMPARE(FindIn(&dialog, QStringLiteral("FrameCustomized_%1").arg(k))->isHidden(), k != 2);

    QVERIFY(!dialog.Box("txtNameSpace", 1)->isEnabled());
    QVERIFY(!FindIn(&dialog, QStringLiteral("cmdChoose_15"))->isEnabled());
    dialog.Box("txtDescriptionName", 1)->setText(QStringLiteral("People"));
    QCOMPARE(tabs->tabText(1), QStringLiteral("People"));
    QVERIFY(dialog.Box("txtNameSpace", 1)->isEnabled() && dialog.Box("txtXMPFieldName", 19)->isEnabled());
    QCOMPARE(dialog.Status(), QString());
    dialog.Box("txtDescriptionName", 1)->clear();
    QVERIFY(!dialog.Box("txtPrefix", 1)->isEnabled() && dialog.Box("txtDescriptionName", 1)->isEnabled());
    QVERIFY(!dialog.Status().isEmpty());  // says what to type
  }

  void columnsAreChosenOnlyAndAStoredFieldWithoutAColumnIsNamedOnOpening() {
    tessarine::CustomXmpDefinition definition = Stored();
    definition.schemas[0].properties[1] = {"ClientName", "e"};
    struct Opened : tessarine::XmpCustomizedDialog {
      using XmpCustomizedDialog::XmpCustomizedDialog;
    } dialog(definition);
    const QString status = FindIn<QPlainTextEdit>(&dialog, QStringLiteral("lblStatus"))->toPlainText();
    QVERIFY2(status.contains(QStringLiteral("'ClientName' (schema #1, field #2): the stored column 'e'")), qPrintable(status));
    QVERIFY2(!status.contains(QStringLiteral("'Shoot'")), qPrintable(status));

    // Typing into a column box changes nothing; the chooser still writes it.
    auto* column = FindIn<QLineEdit>(&dialog, QStringLiteral("txtDBFieldName_0"));
    for (int row = 0; row < 100; ++row) QVERIFY(FindIn<QLineEdit>(&dialog, QStringLiteral("txtDBFieldName_%1").arg(row))->isReadOnly());
    column->setFocus();
    QTest::keyClicks(column, QStringLiteral("ClientName"));
    QCOMPARE(column->text(), QStringLiteral("XMPCustom01"));
  }

  void saveShowsTheChecksVerdictOrTakesTheBoxes() {
    Editor dialog;
    tessarine::test::SetTexts(&dialog, {{"txtPrefix_0", "dc"}, {"txtDBFieldName_4", "XMPCustom01"}});
    const tessarine::CustomXmpCheckResult refused = tessarine::CheckCustomXmpBoxes(dialog.Boxes());
    QVERIFY(!refused.Passed());
    Click(&dialog, "cmdOK");
    QCOMPARE(dialog.Status().toStdString(), refused.message);
    QCOMPARE(FindIn<QListWidget>(&dialog, QStringLiteral("lstControlNS"))->count(), int(refused.controlEntries.size()));
    QCOMPARE(dialog.result(), int(QDialog::Rejected));

    tessarine::test::SetTexts(&dialog, {{"txtPrefix_0", "studio"}, {"txtDBFieldName_4", "XMPCustom07"},
                                        {"txtDescriptionName_1", " People "},
                                        {"txtNameSpace_1", "http://ns.example.com/p/"}, {"txtPrefix_1", "p"}});
    Click(&dialog, "cmdOK");
    QCOMPARE(dialog.Status(), QString());
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QCOMPARE(dialog.Definition().schemas[1].description, std::string(" People "));
    QCOMPARE(dialog.Definition().schemas[0].properties[4].dbFieldName, std::string("07"));
  }

  void chooserOptionsFollowTheRowsStateAndWriteItsBox() {
    Editor dialog;
    const auto state = tessarine::OpenColumnChooser(tessarine::ColumnBoxesOf(dialog.Boxes()), 4, true);
    bool ran = false;
    dialog.Choose(4, [&](QDialog& chooser) {
      ran = true;
      for (int n = 0; n < tessarine::kCustomRowCount; ++n) {
        QCOMPARE(Option(chooser, n)->isEnabled(), state.enabled[n]);
        QCOMPARE(Option(chooser, n)->isChecked(), n == state.selected);
      }
      Option(chooser, 6)->click();
      QCOMPARE(dialog.Column(4), QStringLiteral("XMPCustom07"));
      Click(&chooser, "cmdOK");
    });
    QVERIFY(ran);
    QCOMPARE(dialog.CurrentRow(), 4);
    QCOMPARE(dialog.Column(4), QStringLiteral("XMPCustom07"));

    // A new property is given its column on opening; Cancel restores what the row had then, Clear empties it.
    dialog.Box("txtXMPFieldName", 2)->setText(QStringLiteral("Rating"));
    const auto fresh = tessarine::OpenColumnChooser(tessarine::ColumnBoxesOf(dialog.Boxes()), 2, true);
    QVERIFY(fresh.bindsAtOnce);
    dialog.Choose(2, [&](QDialog& chooser) {
      QCOMPARE(dialog.Column(2).toStdString(), tessarine::ColumnBoxText(tessarine::ColumnOptionCaption(fresh.selected)));
      Click(&chooser, "cmdCancel");
    });
    QCOMPARE(dialog.Column(2), QString());
    dialog.Choose(0, [&](QDialog& chooser) {
      Option(chooser, 40)->click();
      Click(&chooser, "cmdCancel");
    });
    QCOMPARE(dialog.Column(0), QStringLiteral("XMPCustom01"));
    dialog.Choose(0, [](QDialog& chooser) { Click(&chooser, "cmdClear"); });
    QCOMPARE(dialog.Column(0), QString());
  }
};

QTEST_MAIN(XmpCustomizedDialogTest)
#include "XmpCustomizedDialogTest.moc"
