// The option stores of the window and the enabling rules between its controls.

#include <algorithm>

#include <QAbstractButton>
#include <QButtonGroup>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

#include "gui/ConnectionFrame.h"
#include "gui/DatabaseFrame.h"
#include "gui/MetadataFrame.h"
#include "gui/ScanFrame.h"
#include "gui/TablesFrame.h"
#include "gui/TessarineProWindow.h"

namespace tessarine {
namespace {

// An exclusive group refuses to leave every option clear; lift that for the moment of clearing.
void ClearOptions(QButtonGroup* group) {
  group->setExclusive(false);
  for (QAbstractButton* button : group->buttons()) button->setChecked(false);
  group->setExclusive(true);
}

// Replaces the box text by its trimmed form; the cursor stays where the user typed.
void TrimBox(QLineEdit* box) {
  const std::string text = box->text().toStdString();
  const std::string trimmed = TrimSpaces(text);
  if (trimmed == text) return;
  const int cursor = box->cursorPosition();
  const auto leading = static_cast<int>(text.find_first_not_of(' ') == std::string::npos ? text.size()
                                                                                          : text.find_first_not_of(' '));
  box->setText(QString::fromStdString(trimmed));
  box->setCursorPosition(std::clamp(cursor - leading, 0, static_cast<int>(trimmed.size())));
}

}  // namespace

void TessarineProWindow::optDatabase_Click(int index) {
  StoreDbms(m_settings, m_settingsFile, static_cast<DbmsKind>(index));
}

void TessarineProWindow::chkOnlyIPTC_Click() {
  const bool onlyIptc = m_metadata->chkOnlyIPTC->isChecked();
  StoreOnlyIptc(m_settings, m_settingsFile, onlyIptc);
  ApplyOnlyIptcRule(onlyIptc);
  // Selecting the option by rule stores it like a click would.
  m_metadata->optXMPOverIPTC->button(onlyIptc ? 1 : 0)->setChecked(true);
  StoreXmpOverIptc(m_settings, m_settingsFile, !onlyIptc);
}

void TessarineProWindow::ApplyOnlyIptcRule(bool onlyIptc) {
  for (QAbstractButton* option : m_metadata->optXMPOverIPTC->buttons()) option->setEnabled(!onlyIptc);
  for (int i = 6; i <= 11; ++i) m_metadata->lblHelpMetadata[i]->setEnabled(!onlyIptc);
  m_metadata->txtXMPCustomized->setEnabled(!onlyIptc);
  m_metadata->cmdXMPCustomized->setEnabled(!onlyIptc);
  m_metadata->ImagePuceMetadata[2]->setVisible(!onlyIptc);
  m_metadata->ImagePuceMetadata[3]->setVisible(!onlyIptc);
}

void TessarineProWindow::optXMPOverIPTC_Click(int index) {
  StoreXmpOverIptc(m_settings, m_settingsFile, index == 0);
}

void TessarineProWindow::chkThumbnails_Click() {
  const bool create = m_scan->chkThumbnails->isChecked();
  StoreCreateThumbnails(m_settings, m_settingsFile, create);
  ApplyThumbnailRule(create);
  if (create) {
    m_scan->optThumbnails->button(1)->setChecked(true);
    StoreReCreateThumbnails(m_settings, m_settingsFile, false);
  }
}

void TessarineProWindow::ApplyThumbnailRule(bool createThumbnails) {
  m_scan->frameThumbnails->setEnabled(createThumbnails);
  for (QAbstractButton* option : m_scan->optThumbnails->buttons()) option->setEnabled(createThumbnails);
  // Unticked: neither option shows; ReCreateThumbnails keeps its stored value.
  if (!createThumbnails) ClearOptions(m_scan->optThumbnails);
}

void TessarineProWindow::optThumbnails_Click(int index) {
  StoreReCreateThumbnails(m_settings, m_settingsFile, index == 0);
}

void TessarineProWindow::txtTableFolders_Change() { TrimBox(m_tables->txtTableFolders); }

void TessarineProWindow::txtTableImages_Change() { TrimBox(m_tables->txtTableImages); }

}  // namespace tessarine
