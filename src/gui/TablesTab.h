#pragma once
// Tab "3 - Tables": the names of the folders and images tables, their creation and the display
// of the statement that creates one. What a table action means to the other tabs goes out as
// signals the window connects.

#include "gui/TablesFrame.h"

namespace tessarine {

class WindowContext;
enum class CatalogueTable;

class TablesTab : public TablesFrame {
  Q_OBJECT
 public:
  explicit TablesTab(WindowContext& context, QWidget* parent = nullptr);

  void ShowSettings();
  void ConnectHandlers();

  // Takes the boxes into the settings without writing them (a tab switch).
  void StoreTableNames();
  // Takes the boxes into the settings and writes them (tab 5, the window's closing).
  void SaveTableNames();

 signals:
  // The folders table was created: the folder list can add and remove.
  void foldersTableCreated();
  // A create was confirmed (or could not be asked): the connection tab's result is stale.
  void tableActionConfirmed();
  // Creating the images table reloads the folder list, whatever happened.
  void folderListReloadRequested();

 private:
  void cmdCreateTableFolders_Click(int index);
  void cmdCreateTableImages_Click(int index);
  void RunTableAction(CatalogueTable table, int index);
  void txtTableFolders_Change();
  void txtTableImages_Change();

  WindowContext& m_context;
};

}  // namespace tessarine
