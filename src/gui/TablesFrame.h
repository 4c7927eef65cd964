#pragma once
// The widgets of tab "3 - Tables": names of the folders and images tables and their creation.
// Their handlers live in TablesTab, which derives from this frame.

#include <QFrame>

class QLineEdit;
class QPushButton;

namespace tessarine {

class LinkLabel;

class TablesFrame : public QFrame {
  Q_OBJECT
 public:
  explicit TablesFrame(QWidget* parent = nullptr);

  QLineEdit* txtTableFolders = nullptr;
  QLineEdit* txtTableImages = nullptr;
  QPushButton* cmdCreateTableFolders[2] = {};  // 0 create, 1 display the statement
  QPushButton* cmdCreateTableImages[2] = {};
  LinkLabel* lblNextStep = nullptr;
};

}  // namespace tessarine
