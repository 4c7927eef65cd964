#pragma once
// Tab "1 - Database": the kind of database server is stored as it is chosen; choosing the embedded
// one offers the embedded catalogue of the user's data folder (made when missing). Help opens the
// manual beside the program, About the about box.

#include "gui/DatabaseFrame.h"

namespace tessarine {

class WindowContext;

class DatabaseTab : public DatabaseFrame {
  Q_OBJECT
 public:
  explicit DatabaseTab(WindowContext& context, QWidget* parent = nullptr);

  // Shows the stored kind without storing it again.
  void ShowSettings();
  void ConnectHandlers();

 signals:
  // The settings now select the embedded catalogue: the other tabs show them anew.
  void EmbeddedCatalogueSelected();

 private:
  void optDatabase_Click(int index);
  void cmdHelp_Click();
  void cmdAbout_Click();

  WindowContext& m_context;
};

}  // namespace tessarine
