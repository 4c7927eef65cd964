// The custom XMP editor and its column chooser, driven by object name.

#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabBar>
#include <QTest>
#include <functional>

#include "gui/xmpcustom/DbFieldNameDialog.h"
#include "gui/xmpcustom/XmpCustomizedDialog.h"

using tessarine::CustomXmpDefinition;
using tessarine::XmpCustomizedDialog;

namespace {

CustomXmpDefinition Stored() {
  CustomXmpDefinition definition;
  definition.schemas[0] = {"Studio", "http://ns.example.com/s/", "studio", {}};
  definition.schemas[0].properties[0] = {"Shoot", "01"};
  definition.schemas[0].properties[1] = {"Client", "02"};
  definition.schemas[0].properties[4] = {"Agency", "05"};
  definition.schemas[2] = {"Archive", "http://ns.example.com/a#", "arc", {}};
  definition.schemas[2].properties[0] = {"Box", "100"};
  return definition;
}

template <class Widget>
Widget* Find(const QObject* parent, const QString& name) {
  Widget* widget = parent->findChild<Widget*>(name);
  if (!widget) qFatal("no widget %s", qPrintable(name));
  return widget;
}

QLineEdit* Box(const QObject* dialog, const char* name, int index) {
  return Find<QLineEdit>(dialog, QStringLiteral("%1_%2").arg(QLatin1String(name)).arg(index));
}

QString Status(const XmpCustomizedDialog& dialog) {
  return Find<QPlainTextEdit>(&dialog, QStringLiteral("lblStatus"))->toPlainText();
}

void Save(XmpCustomizedDialog& dialog) { Find<QPushButton>(&dialog, QStringLiteral("cmdOK"))->click(); }

// Opens the column chooser of a row, handing it to `run` instead of showing it.
void Choose(XmpCustomizedDialog& dialog, int row, std::function<void(QDialog&)> run) {
  dialog.SetDialogRunner(std::move(run));
  Find<QPushButton>(&dialog, QStringLiteral("cmdChoose_%1").arg(row))->click();
}

QRadioButton* Option(const QDialog& chooser, int n) {
  return Find<QRadioButton>(&chooser, QStringLiteral("optFieldNumber_%1").arg(n));
}

}  // namespace

class XmpCustomizedDialogTest : public QObject {
  Q_OBJECT

 private slots:
  void loadingShowsEachSchemaWithItsColumnNames() {
    XmpCustomizedDialog dialog(Stored());
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Define Customized XMP fields"));
    auto* tabs = Find<QTabBar>(&dialog, QStringLiteral("TabStripCustomized"));
    QCOMPARE(tabs->count(), 10);
    QCOMPARE(tabs->tabText(0), QStringLiteral("Studio"));
    QCOMPARE(tabs->tabText(1), QStringLiteral("Description #2"));
    QCOMPARE(tabs->tabText(2), QStringLiteral("Archive"));
    QCOMPARE(Box(&dialog, "txtDBFieldName", 4)->text(), QStringLiteral("XMPCustom05"));
    QCOMPARE(Box(&dialog, "txtDBFieldName", 20)->text(), QStringLiteral("XMPCustom100"));
    QCOMPARE(Box(&dialog, "txtDBFieldName", 2)->text(), QString());
    QCOMPARE(Find<QWidget>(&dialog, QStringLiteral("lblDescription_3"))->property("text").toString(),
             QStringLiteral("Description\n#4"));
    QVERIFY(!Find<QWidget>(&dialog, QStringLiteral("FrameCustomized_0"))->isHidden());
    QVERIFY(Find<QWidget>(&dialog, QStringLiteral("FrameCustomized_2"))->isHidden());
    QVERIFY(Find<QWidget>(&dialog, QStringLiteral("lstControlNS"))->isHidden());
  }

  void anEmptyDescriptionDisablesTheSchemaAndExplains() {
    XmpCustomizedDialog dialog(Stored());
    QVERIFY(!Box(&dialog, "txtNameSpace", 1)->isEnabled());
    QVERIFY(!Find<QWidget>(&dialog, QStringLiteral("cmdChoose_15"))->isEnabled());
    QVERIFY(Box(&dialog, "txtDescriptionName", 1)->isEnabled());
    Box(&dialog, "txtDescriptionName", 1)->setText(QStringLiteral("People"));
    QCOMPARE(Find<QTabBar>(&dialog, QStringLiteral("TabStripCustomized"))->tabText(1), QStringLiteral("People"));
    QVERIFY(Box(&dialog, "txtNameSpace", 1)->isEnabled());
    QVERIFY(Box(&dialog, "txtXMPFieldName", 19)->isEnabled());
    QCOMPARE(Status(dialog), QString());
    Box(&dialog, "txtDescriptionName", 1)->clear();
    QVERIFY(!Box(&dialog, "txtPrefix", 1)->isEnabled());
    QCOMPARE(Status(dialog), QStringLiteral("Type a description name to define XMP custom fields\n"
                                            "in schema described by 'Name Space' and 'Prefix'"));
  }

  void tabsShowTheirOwnPanel() {
    XmpCustomizedDialog dialog(Stored());
    Find<QTabBar>(&dialog, QStringLiteral("TabStripCustomized"))->setCurrentIndex(2);
    for (int k = 0; k < 10; ++k) {
      QCOMPARE(Find<QWidget>(&dialog, QStringLiteral("FrameCustomized_%1").arg(k))->isHidden(), k != 2);
    }
  }

  void aFailedCheckKeepsTheDialogOpenWithItsMessage() {
    XmpCustomizedDialog dialog(Stored());
    Box(&dialog, "txtPrefix", 0)->setText(QStringLiteral("dc"));
    Save(dialog);
    QCOMPARE(Status(dialog), QStringLiteral("Invalid Name: Prefix -> dc"));
    QCOMPARE(dialog.result(), int(QDialog::Rejected));
    QCOMPARE(dialog.Definition().schemas[0].prefix, std::string("studio"));  // nothing taken

    // A duplicate also shows the bound rows (their order is CustomXmpCheck's).
    Box(&dialog, "txtPrefix", 0)->setText(QStringLiteral("studio"));
    Box(&dialog, "txtDBFieldName", 1)->setText(QStringLiteral("XMPCustom01"));
    Save(dialog);
    QCOMPARE(Find<QListWidget>(&dialog, QStringLiteral("lstControlNS"))->count(), 4);
  }

  void saveTakesEveryBoxAsTypedAndTheNumbersOnly() {
    XmpCustomizedDialog dialog(Stored());
    Box(&dialog, "txtDescriptionName", 1)->setText(QStringLiteral(" People "));
    Box(&dialog, "txtNameSpace", 1)->setText(QStringLiteral("http://ns.example.com/p/"));
    Box(&dialog, "txtPrefix", 1)->setText(QStringLiteral("p"));
    Box(&dialog, "txtXMPFieldName", 10)->setText(QStringLiteral("Model"));
    Box(&dialog, "txtDBFieldName", 10)->setText(QStringLiteral("XMPCustom07"));
    Box(&dialog, "txtXMPFieldName", 55)->setText(QStringLiteral("kept though undefined"));
    Save(dialog);
    QCOMPARE(Status(dialog), QString());
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    const CustomXmpDefinition& saved = dialog.Definition();
    QCOMPARE(saved.schemas[1].description, std::string(" People "));
    QCOMPARE(saved.schemas[1].properties[0].dbFieldName, std::string("07"));
    QCOMPARE(saved.schemas[0].properties[4].dbFieldName, std::string("05"));
    QCOMPARE(saved.schemas[5].properties[5].xmpFieldName, std::string("kept though undefined"));
  }

  void chooserBlocksBoundColumnsAndSelectsTheRowsOwn() {
    XmpCustomizedDialog dialog(Stored());
    bool ran = false;
    Choose(dialog, 4, [&](QDialog& chooser) {
      ran = true;
      QCOMPARE(chooser.objectName(), QStringLiteral("frmDBFieldName"));
      QCOMPARE(chooser.windowTitle(), QStringLiteral("Select DB Field name"));
      QCOMPARE(Option(chooser, 99)->text(), QStringLiteral("100"));
      QVERIFY(Option(chooser, 4)->isChecked());
      QVERIFY(Option(chooser, 4)->isEnabled());
      for (int bound : {0, 1, 99}) QVERIFY(!Option(chooser, bound)->isEnabled());  // 100 is bound in another schema
      QVERIFY(Option(chooser, 2)->isEnabled());
      Option(chooser, 6)->click();
      QCOMPARE(Box(&dialog, "txtDBFieldName", 4)->text(), QStringLiteral("XMPCustom07"));
      Find<QPushButton>(&chooser, QStringLiteral("cmdOK"))->click();
    });
    QVERIFY(ran);
    QCOMPARE(dialog.CurrentRow(), 4);
    QCOMPARE(Box(&dialog, "txtDBFieldName", 4)->text(), QStringLiteral("XMPCustom07"));
  }

  void aNewPropertyGetsTheFirstFreeColumnOnOpening() {
    XmpCustomizedDialog dialog(Stored());
    Box(&dialog, "txtXMPFieldName", 2)->setText(QStringLiteral("Rating"));
    Choose(dialog, 2, [&](QDialog& chooser) {
      QCOMPARE(Box(&dialog, "txtDBFieldName", 2)->text(), QStringLiteral("XMPCustom03"));
      QVERIFY(Option(chooser, 2)->isChecked());
    });
    QCOMPARE(Box(&dialog, "txtDBFieldName", 2)->text(), QStringLiteral("XMPCustom03"));
  }

  void clearEmptiesTheRow() {
    XmpCustomizedDialog dialog(Stored());
    Choose(dialog, 1, [](QDialog& chooser) { Find<QPushButton>(&chooser, QStringLiteral("cmdClear"))->click(); });
    QCOMPARE(Box(&dialog, "txtDBFieldName", 1)->text(), QString());
  }

  void cancelRestoresTheColumnTheRowHadOnOpening() {
    XmpCustomizedDialog dialog(Stored());
    Choose(dialog, 0, [&](QDialog& chooser) {
      Option(chooser, 40)->click();
      QCOMPARE(Box(&dialog, "txtDBFieldName", 0)->text(), QStringLiteral("XMPCustom41"));
      Find<QPushButton>(&chooser, QStringLiteral("cmdCancel"))->click();
      QCOMPARE(chooser.result(), int(QDialog::Rejected));
    });
    QCOMPARE(Box(&dialog, "txtDBFieldName", 0)->text(), QStringLiteral("XMPCustom01"));
  }
};

QTEST_MAIN(XmpCustomizedDialogTest)
#include "XmpCustomizedDialogTest.moc"
