#pragma once
// The widgets of tab "1 - Database": the kind of database server, help and about.
// Their handlers live in DatabaseTab, which derives from this frame.

#include <QFrame>

class QButtonGroup;
class QPushButton;

namespace tessarine {

class LinkLabel;

class DatabaseFrame : public QFrame {
  Q_OBJECT
 public:
  explicit DatabaseFrame(QWidget* parent = nullptr);

  QButtonGroup* optDatabase = nullptr;  // ids are the DbmsKind numbers
  QPushButton* cmdHelp = nullptr;
  QPushButton* cmdAbout = nullptr;
  LinkLabel* lblNextStep = nullptr;
};

}  // namespace tessarine
