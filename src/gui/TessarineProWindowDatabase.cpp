// The database buttons of tabs 2 and 3. The work itself is the
// core's (TestingQuery, CreateCatalogueTable...); here the boxes are read and written back.

#include <QButtonGroup>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTreeWidget>

#include "catalogue/CatalogueConnection.h"
#include "gui/ConnectionFrame.h"
#include "gui/DisplaySqlDialog.h"
#include "gui/ScanFrame.h"
#include "gui/TablesFrame.h"
#include "gui/TessarineProWindow.h"
#include "gui/WindowUserPort.h"
#include "workflows/connection/CatalogueTables.h"
#include "workflows/connection/TestingQuery.h"

namespace tessarine {
namespace {

QString Text(const std::string& text) { return QString::fromStdString(text); }
std::string Text(const QLineEdit* box) { return box->text().toStdString(); }

}  // namespace

CatalogueConnection& TessarineProWindow::Connection() {
  if (!m_catalogue) m_catalogue = std::make_unique<CatalogueConnection>();
  return *m_catalogue;
}

bool TessarineProWindow::FileDsnSelected() const { return m_connection->optDSN->checkedId() == 1; }

void TessarineProWindow::cmdTestingQuery_Click() {
  m_connection->txtResult->clear();
  const ConnectionBoxes boxes{Text(m_connection->txtDSN), FileDsnSelected(), Text(m_connection->txtLogin),
                              Text(m_connection->txtPassword)};
  const Expected<std::string> result = TestingQuery(Connection(), *m_port, m_settings, m_settingsFile, boxes,
                                                    m_connection->txtQuery->toPlainText().toStdString());
  if (result) m_connection->txtResult->setText(Text(*result));
}

void TessarineProWindow::RunTableAction(CatalogueTable table, int index) {
  TableNameBoxes boxes{Text(m_tables->txtTableFolders), Text(m_tables->txtTableImages)};
  auto writeBack = [&] {
    // The action trims its box in place; the box shows the trimmed name.
    m_tables->txtTableFolders->setText(Text(boxes.folders));
    m_tables->txtTableImages->setText(Text(boxes.images));
  };
  if (index == 1) {
    const std::optional<DisplayedStatement> shown = DisplayTableStatement(*m_port, m_settings, boxes, table);
    writeBack();
    if (!shown) return;
    DisplaySqlDialog dialog(Text(shown->caption), Text(shown->statement), this);
    RunDialog(dialog);
    return;
  }
  CreateTableRequest request;
  request.table = table;
  request.fileDsnSelected = FileDsnSelected();
  request.settingsFile = m_settingsFile;
  request.reloadFolderList = [this] { LoadFolderList(); };
  const Expected<CreateTableOutcome> outcome = CreateCatalogueTable(Connection(), *m_port, m_settings, boxes, request);
  writeBack();
  // Once confirmed, the action clears the result box of the connection tab.
  if (!outcome || (*outcome != CreateTableOutcome::InvalidName && *outcome != CreateTableOutcome::Declined)) {
    m_connection->txtResult->clear();
  }
  if (outcome && *outcome == CreateTableOutcome::Created && table == CatalogueTable::Folders) {
    m_scan->cmdAddFolder->setEnabled(true);
    m_scan->cmdRemoveFolder->setEnabled(true);
  }
}

void TessarineProWindow::cmdCreateTableFolders_Click(int index) { RunTableAction(CatalogueTable::Folders, index); }

void TessarineProWindow::cmdCreateTableImages_Click(int index) { RunTableAction(CatalogueTable::Images, index); }

}  // namespace tessarine
