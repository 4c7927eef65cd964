#pragma once
// frmDisplaySQLStatement: shows a table's creation statement without running it.

#include <QDialog>

class QPlainTextEdit;

namespace tessarine {

class DisplaySqlDialog : public QDialog {
  Q_OBJECT
 public:
  // caption: "SQL statement to create table '<name>'".
  DisplaySqlDialog(const QString& caption, const QString& statement, QWidget* parent = nullptr);

  QPlainTextEdit* txtSQL = nullptr;
};

}  // namespace tessarine
