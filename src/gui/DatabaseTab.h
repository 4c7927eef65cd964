#pragma once
// Tab "1 - Database": the kind of database server is stored as it is chosen; Help opens the
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

 private:
  void optDatabase_Click(int index);
  void cmdHelp_Click();
  void cmdAbout_Click();

  WindowContext& m_context;
};

}  // namespace tessarine
