#include "gui/MetadataTab.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QCheckBox>
#include <QDialog>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>

#include "gui/LinkLabel.h"
#include "gui/WindowContext.h"
#include "gui/xmpcustom/XmpCustomizedDialog.h"
#include "workflows/xmpcustom/CustomXmpSummary.h"

namespace tessarine {

MetadataTab::MetadataTab(WindowContext& context, QWidget* parent) : MetadataFrame(parent), m_context(context) {}

void MetadataTab::ShowSettings() {
  const Settings& settings = m_context.CurrentSettings();
  chkOnlyIPTC->setChecked(settings.onlyIptc);
  chkModernFormats->setChecked(settings.modernFormats);
  chkKeepIimWhenXmpMissing->setChecked(settings.keepIimWhenXmpMissing);
  if (settings.onlyIptc) ApplyOnlyIptcRule(true);
  const bool iimWins = settings.onlyIptc || !settings.xmpOverIptc;
  optXMPOverIPTC->button(iimWins ? 1 : 0)->setChecked(true);
  ShowCustomXmpSummary();
}

void MetadataTab::ConnectHandlers() {
  connect(chkOnlyIPTC, &QCheckBox::clicked, this, &MetadataTab::chkOnlyIPTC_Click);
  connect(optXMPOverIPTC, &QButtonGroup::idClicked, this, &MetadataTab::optXMPOverIPTC_Click);
  connect(chkModernFormats, &QCheckBox::clicked, this, [this](bool on) {
    StoreModernFormats(m_context.CurrentSettings(), m_context.SettingsFile(), on);
  });
  connect(chkKeepIimWhenXmpMissing, &QCheckBox::clicked, this, [this](bool on) {
    StoreKeepIimWhenXmpMissing(m_context.CurrentSettings(), m_context.SettingsFile(), on);
  });
  connect(cmdXMPCustomized, &QPushButton::clicked, this, &MetadataTab::cmdXMPCustomized_Click);
  // The tooltip shows the user where the link leads, so it is the one source of the address.
  for (LinkLabel* link : {lblLinkIPTCIIM, lbLinkXMP, lbLinkIPTCCore}) {
    connect(link, &LinkLabel::clicked, this, [this, link] { m_context.OpenDocument(link->toolTip()); });
  }
}

void MetadataTab::chkOnlyIPTC_Click() {
  Settings& settings = m_context.CurrentSettings();
  const bool onlyIptc = chkOnlyIPTC->isChecked();
  StoreOnlyIptc(settings, m_context.SettingsFile(), onlyIptc);
  ApplyOnlyIptcRule(onlyIptc);
  // Selecting the option by rule stores it like a click would.
  optXMPOverIPTC->button(onlyIptc ? 1 : 0)->setChecked(true);
  StoreXmpOverIptc(settings, m_context.SettingsFile(), !onlyIptc);
}

void MetadataTab::ApplyOnlyIptcRule(bool onlyIptc) {
  for (QAbstractButton* option : optXMPOverIPTC->buttons()) option->setEnabled(!onlyIptc);
  for (int i = 6; i <= 11; ++i) lblHelpMetadata[i]->setEnabled(!onlyIptc);
  txtXMPCustomized->setEnabled(!onlyIptc);
  chkKeepIimWhenXmpMissing->setEnabled(!onlyIptc);
  cmdXMPCustomized->setEnabled(!onlyIptc);
  ImagePuceMetadata[2]->setVisible(!onlyIptc);
  ImagePuceMetadata[3]->setVisible(!onlyIptc);
}

void MetadataTab::optXMPOverIPTC_Click(int index) {
  StoreXmpOverIptc(m_context.CurrentSettings(), m_context.SettingsFile(), index == 0);
}

void MetadataTab::cmdXMPCustomized_Click() {
  XmpCustomizedDialog editor(m_context.CurrentSettings().custom, window());
  editor.SetDialogRunner([this](QDialog& dialog) { m_context.RunDialog(dialog); });
  m_context.RunDialog(editor);
  if (editor.result() != QDialog::Accepted) return;
  SaveCustomXmp(m_context.CurrentSettings(), m_context.SettingsFile(), editor.Definition());
  ShowCustomXmpSummary();
}

void MetadataTab::ShowCustomXmpSummary() {
  txtXMPCustomized->setPlainText(QString::fromStdString(CustomXmpSummary(m_context.CurrentSettings().custom)));
}

}  // namespace tessarine
