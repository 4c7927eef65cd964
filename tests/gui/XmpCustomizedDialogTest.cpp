// The custom XMP editor and its column chooser, driven by object name: the boxes show the
// definition, the check's verdict shows in the status box, the chooser's options follow
// OpenColumnChooser and write the row's column box. The rules themselves are CustomXmpCheck's
// and ColumnChooser's, tested with them.

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
#include "workflows/xmpcustom/ColumnChooser.h"
#include "workflows/xmpcustom/CustomXmpCheck.h"

using tessarine::CustomXmpDefinition;
using tessarine::XmpCustomizedDialog;

namespace {

CustomXmpDefinition Stored() {
  CustomXmpDefinition definition;
  definition.schemas[0] = {"Studio", "http://ns.example.com/s/", "studio", {}};
  definition.schemas[0].properties[0] = {"Shoot", "01"};
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

void Click(const QObject* dialog, const QString& name) { Find<QPushButton>(dialog, name)->click(); }

// Opens the column chooser of a row, handing it to `run` instead of showing it.
void Choose(XmpCustomizedDialog& dialog, int row, std::function<void(QDialog&)> run) {
  dialog.SetDialogRunner(std::move(run));
  Click(&dialog, QStringLiteral("cmdChoose_%1").arg(row));
}

QRadioButton* Option(const QDialog& chooser, int n) {
  return Find<QRadioButton>(&chooser, QStringLiteral("optFieldNumber_%1").arg(n));
}

}  // namespace

class XmpCustomizedDialogTest : public QObject {
  Q_OBJECT

 private slots:
  void loadingShowsEachSchemaAndAnEmptyDescriptionGreysItsSchema() {
    XmpCustomizedDialog dialog(Stored());
    auto* tabs = Find<QTabBar>(&dialog, QStringLiteral("TabStripCustomized"));
    QCOMPARE(tabs->tabText(0), QStringLiteral("Studio"));
    QCOMPARE(tabs->tabText(2), QStringLiteral("Archive"));
    QCOMPARE(Box(&dialog, "txtDBFieldName", 4)->text(), QStringLiteral("XMPCustom05"));
    QCOMPARE(Box(&dialog, "txtDBFieldName", 20)->text(), QStringLiteral("XMPCustom100"));
    tabs->setCurrentIndex(2);
    for (int k = 0; k < 10; ++k) QCOMPARE(Find<QWidget>(&dialog, QStringLiteral("FrameCustomized_%1").arg(k))->isHidden(), k != 2);

    QVERIFY(!Box(&dialog, "txtNameSpace", 1)->isEnabled());
    QVERIFY(!Find<QWidget>(&dialog, QStringLiteral("cmdChoose_15"))->isEnabled());
    Box(&dialog, "txtDescriptionName", 1)->setText(QStringLiteral("People"));
    QCOMPARE(tabs->tabText(1), QStringLiteral("People"));
    QVERIFY(Box(&dialog, "txtNameSpace", 1)->isEnabled() && Box(&dialog, "txtXMPFieldName", 19)->isEnabled());
    QCOMPARE(Status(dialog), QString());
    Box(&dialog, "txtDescriptionName", 1)->clear();
    QVERIFY(!Box(&dialog, "txtPrefix", 1)->isEnabled());
    QVERIFY(Box(&dialog, "txtDescriptionName", 1)->isEnabled());
    QVERIFY(!Status(dialog).isEmpty());  // says what to type
  }

  void saveShowsTheChecksVerdictOrTakesTheBoxes() {
    XmpCustomizedDialog dialog(Stored());
    Box(&dialog, "txtPrefix", 0)->setText(QStringLiteral("dc"));
    Box(&dialog, "txtDBFieldName", 4)->setText(QStringLiteral("XMPCustom01"));
    const tessarine::CustomXmpCheckResult refused = tessarine::CheckCustomXmpBoxes(dialog.Boxes());
    QVERIFY(!refused.Passed());
    Click(&dialog, QStringLiteral("cmdOK"));
    QCOMPARE(Status(dialog).toStdString(), refused.message);
    QCOMPARE(Find<QListWidget>(&dialog, QStringLiteral("lstControlNS"))->count(), int(refused.controlEntries.size()));
    QCOMPARE(dialog.result(), int(QDialog::Rejected));

    Box(&dialog, "txtPrefix", 0)->setText(QStringLiteral("studio"));
    Box(&dialog, "txtDBFieldName", 4)->setText(QStringLiteral("XMPCustom07"));
    Box(&dialog, "txtDescriptionName", 1)->setText(QStringLiteral(" People "));
    Box(&dialog, "txtNameSpace", 1)->setText(QStringLiteral("http://ns.example.com/p/"));
    Box(&dialog, "txtPrefix", 1)->setText(QStringLiteral("p"));
    Click(&dialog, QStringLiteral("cmdOK"));
    QCOMPARE(Status(dialog), QString());
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QCOMPARE(dialog.Definition().schemas[1].description, std::string(" People "));
    QCOMPARE(dialog.Definition().schemas[0].properties[4].dbFieldName, std::string("07"));
  }

  void chooserOptionsFollowTheRowsStateAndWriteItsBox() {
    XmpCustomizedDialog dialog(Stored());
    const int row = 4;
    const auto state = tessarine::OpenColumnChooser(tessarine::ColumnBoxesOf(dialog.Boxes()), row, true);
    bool ran = false;
    Choose(dialog, row, [&](QDialog& chooser) {
      ran = true;
      for (int n = 0; n < tessarine::kCustomRowCount; ++n) {
        QCOMPARE(Option(chooser, n)->isEnabled(), state.enabled[n]);
        QCOMPARE(Option(chooser, n)->isChecked(), n == state.selected);
      }
      Option(chooser, 6)->click();
      QCOMPARE(Box(&dialog, "txtDBFieldName", row)->text(), QStringLiteral("XMPCustom07"));
      Click(&chooser, QStringLiteral("cmdOK"));
    });
    QVERIFY(ran);
    QCOMPARE(dialog.CurrentRow(), row);
    QCOMPARE(Box(&dialog, "txtDBFieldName", row)->text(), QStringLiteral("XMPCustom07"));

    // A new property is given its column on opening; Cancel restores what the row had then, Clear empties it.
    Box(&dialog, "txtXMPFieldName", 2)->setText(QStringLiteral("Rating"));
    const auto fresh = tessarine::OpenColumnChooser(tessarine::ColumnBoxesOf(dialog.Boxes()), 2, true);
    QVERIFY(fresh.bindsAtOnce);
    Choose(dialog, 2, [&](QDialog& chooser) {
      QCOMPARE(Box(&dialog, "txtDBFieldName", 2)->text().toStdString(),
               tessarine::ColumnBoxText(tessarine::ColumnOptionCaption(fresh.selected)));
      Click(&chooser, QStringLiteral("cmdCancel"));
    });
    QCOMPARE(Box(&dialog, "txtDBFieldName", 2)->text(), QString());
    Choose(dialog, 0, [&](QDialog& chooser) {
      Option(chooser, 40)->click();
      Click(&chooser, QStringLiteral("cmdCancel"));
    });
    QCOMPARE(Box(&dialog, "txtDBFieldName", 0)->text(), QStringLiteral("XMPCustom01"));
    Choose(dialog, 0, [](QDialog& chooser) { Click(&chooser, QStringLiteral("cmdClear")); });
    QCOMPARE(Box(&dialog, "txtDBFieldName", 0)->text(), QString());
  }
};

QTEST_MAIN(XmpCustomizedDialogTest)
#include "XmpCustomizedDialogTest.moc"
