#include "gui/TablesTab.h"

#include <algorithm>

#include <QLineEdit>
#include <QPushButton>

#include "gui/DisplaySqlDialog.h"
#include "gui/WindowContext.h"
#include "gui/WindowUserPort.h"
#include "workflows/connection/CatalogueTables.h"

namespace tessarine {
namespace {

QString Text(const std::string& text) { return QString::fromStdString(text); }
std::string Text(const QLineEdit* box) { return box->text().toStdString(); }

// Replaces the box text by its trimmed form; the cursor stays where the user typed.
void TrimBox(QLineEdit* box) {
  const std::string text = box->text().toStdString();
  const std::string trimmed = TrimSpaces(text);
  if (trimmed == text) return;
  const int cursor = box->cursorPosition();
  const std::size_t firstKept = text.find_first_not_of(' ');
  const auto leading = static_cast<int>(firstKept == std::string::npos ? text.size() : firstKept);
  box->setText(QString::fromStdString(trimmed));
  box->setCursorPosition(std::clamp(cursor - leading, 0, static_cast<int>(trimmed.size())));
}

}  // namespace

TablesTab::TablesTab(WindowContext& context, QWidget* parent) : TablesFrame(parent), m_context(context) {}

void TablesTab::ShowSettings() {
  txtTableFolders->setText(Text(m_context.CurrentSettings().folders));
  txtTableImages->setText(Text(m_context.CurrentSettings().images));
}

void TablesTab::ConnectHandlers() {
  connect(txtTableFolders, &QLineEdit::textChanged, this, &TablesTab::txtTableFolders_Change);
  connect(txtTableImages, &QLineEdit::textChanged, this, &TablesTab::txtTableImages_Change);
  for (int i = 0; i < 2; ++i) {
    connect(cmdCreateTableFolders[i], &QPushButton::clicked, this, [this, i] { cmdCreateTableFolders_Click(i); });
    connect(cmdCreateTableImages[i], &QPushButton::clicked, this, [this, i] { cmdCreateTableImages_Click(i); });
  }
}

void TablesTab::StoreTableNames() {
  m_context.CurrentSettings().folders = Text(txtTableFolders);
  m_context.CurrentSettings().images = Text(txtTableImages);
}

void TablesTab::SaveTableNames() {
  SaveTables(m_context.CurrentSettings(), m_context.SettingsFile(), Text(txtTableFolders), Text(txtTableImages));
}

void TablesTab::RunTableAction(CatalogueTable table, int index) {
  TableNameBoxes boxes{Text(txtTableFolders), Text(txtTableImages)};
  auto writeBack = [&] {
    // The action trims its box in place; the box shows the trimmed name.
    txtTableFolders->setText(Text(boxes.folders));
    txtTableImages->setText(Text(boxes.images));
  };
  if (index == 1) {
    const std::optional<DisplayedStatement> shown =
        DisplayTableStatement(m_context.Port(), m_context.CurrentSettings(), boxes, table);
    writeBack();
    if (!shown) return;
    DisplaySqlDialog dialog(Text(shown->caption), Text(shown->statement), window());
    m_context.RunDialog(dialog);
    return;
  }
  CreateTableRequest request;
  request.table = table;
  request.fileDsnSelected = m_context.FileDsnSelected();
  request.settingsFile = m_context.SettingsFile();
  request.reloadFolderList = [this] { emit folderListReloadRequested(); };
  const WatchPause pause(m_context);
  const Expected<CreateTableOutcome> outcome =
      CreateCatalogueTable(m_context.Connection(), m_context.Port(), m_context.CurrentSettings(), boxes, request);
  writeBack();
  if (!outcome || (*outcome != CreateTableOutcome::InvalidName && *outcome != CreateTableOutcome::Declined)) {
    emit tableActionConfirmed();
  }
  if (outcome && *outcome == CreateTableOutcome::Created && table == CatalogueTable::Folders) {
    emit foldersTableCreated();
  }
}

void TablesTab::cmdCreateTableFolders_Click(int index) { RunTableAction(CatalogueTable::Folders, index); }

void TablesTab::cmdCreateTableImages_Click(int index) { RunTableAction(CatalogueTable::Images, index); }

void TablesTab::txtTableFolders_Change() { TrimBox(txtTableFolders); }

void TablesTab::txtTableImages_Change() { TrimBox(txtTableImages); }

}  // namespace tessarine
