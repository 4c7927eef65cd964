#pragma once
// The widgets of tab "2 - Connection": ODBC driver links, the data source, login and the test query.
// Their handlers live in ConnectionTab, which derives from this frame.

#include <QFrame>

class QButtonGroup;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace tessarine {

class LinkLabel;

class ConnectionFrame : public QFrame {
  Q_OBJECT
 public:
  explicit ConnectionFrame(QWidget* parent = nullptr);

  LinkLabel* lblLinkMySQLODBC = nullptr;
  LinkLabel* lblLinkPostgresODBC = nullptr;
  LinkLabel* lblRunODBCAdministrator = nullptr;
  QLineEdit* txtDSN = nullptr;
  QLineEdit* txtLogin = nullptr;
  QLineEdit* txtPassword = nullptr;
  QButtonGroup* optDSN = nullptr;  // 0 user or system DSN, 1 file DSN
  QPlainTextEdit* txtQuery = nullptr;
  QLineEdit* txtResult = nullptr;
  QPushButton* cmdTestingQuery = nullptr;
  LinkLabel* lblNextStep = nullptr;
};

}  // namespace tessarine
