#pragma once
// Tab "2 - Connection": the driver links, the data-source editor and the test query. The
// connection boxes reach the settings when the window closes or a query is tested.

#include "gui/ConnectionFrame.h"

namespace tessarine {

struct SqlDialect;
class WindowContext;

class ConnectionTab : public ConnectionFrame {
  Q_OBJECT
 public:
  explicit ConnectionTab(WindowContext& context, QWidget* parent = nullptr);

  // Fills the boxes and the DSN kind from the settings.
  void ShowSettings();
  void ConnectHandlers();

  // The DSN kind shown now.
  bool FileDsnSelected() const;
  // Takes the boxes into the settings and writes them (the window's closing).
  void SaveConnection();
  // The test query of the chosen kind of server (a tab switch).
  void ShowTestQuery(const SqlDialect& dialect);
  // Empties the result box (a confirmed table action).
  void ClearResult();

 private:
  void cmdTestingQuery_Click();
  void lblRunODBCAdministrator_Click();

  WindowContext& m_context;
};

}  // namespace tessarine
