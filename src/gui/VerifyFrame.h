#pragma once
// The widgets of tab "Verify / Check": the row browser, the check of the images table against the
// disk, and the place of the catalogue view.
// The sub-tab switch is the frame's own; the other handlers live in VerifyTab, which derives from it.

#include <QFrame>

class QButtonGroup;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTabBar;
class QTreeWidget;

namespace tessarine {

class VerifyFrame : public QFrame {
  Q_OBJECT
 public:
  explicit VerifyFrame(QWidget* parent = nullptr);

  // TabStripVerify_Click: the sub-tab already shown changes nothing.
  void ShowSubTab(int index);
  int CurrentSubTab() const { return m_currentSubTab; }

  QTabBar* TabStripVerify = nullptr;
  static constexpr int kSubTabCount = 2;  // Verify, Check
  QGroupBox* FrameVerify[kSubTabCount + 1] = {};  // indices 1 and 2
  QLabel* lblVerifyQuery = nullptr;
  QPlainTextEdit* txtVerifyQuery = nullptr;
  QLabel* lblVerifyResult = nullptr;
  QPlainTextEdit* txtVerifyResult = nullptr;
  QPushButton* cmdVerifyQuery = nullptr;
  QPushButton* cmdBegin = nullptr;
  QPushButton* cmdPrevious = nullptr;
  QPushButton* cmdNext = nullptr;
  QPushButton* cmdEnd = nullptr;
  QButtonGroup* optDisplayFields = nullptr;
  QTreeWidget* lvCheckedFiles[2] = {};
  QLineEdit* txtCheckedFile = nullptr;
  QPushButton* cmdCheck = nullptr;
  QPushButton* cmdCancelCheck = nullptr;
  QPushButton* cmdDeleteFiles = nullptr;
  QPushButton* cmdScanFileFolders = nullptr;
  QPushButton* cmdDeleteLines = nullptr;

 private:
  QWidget* BuildVerifyPanel();
  QWidget* BuildCheckPanel();

  int m_currentSubTab = 0;
};

}  // namespace tessarine
