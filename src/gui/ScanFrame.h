#pragma once
// The widgets of tab "5 - Scan folders": the folder list, scan buttons, thumbnail options and the scan log.
// Their handlers live in ScanTab, which derives from this frame.

#include <QFrame>

class QButtonGroup;
class QCheckBox;
class QGroupBox;
class QLabel;
class QListWidget;
class QProgressBar;
class QPushButton;
class QTreeWidget;

namespace tessarine {

class LinkLabel;

class ScanFrame : public QFrame {
  Q_OBJECT
 public:
  explicit ScanFrame(QWidget* parent = nullptr);

  // Column 1 names the folders table; the other columns keep their captions.
  void SetFoldersHeader(const QString& foldersTable);

  QTreeWidget* lvFolders = nullptr;
  QPushButton* cmdAddFolder = nullptr;
  QPushButton* cmdRemoveFolder = nullptr;
  QPushButton* cmdScan = nullptr;
  QPushButton* cmdCancel = nullptr;  // "Stop", shown only while a scan runs
  QFrame* FrameHelp = nullptr;
  QCheckBox* chkThumbnails = nullptr;
  QCheckBox* chkThumbnailsFromPreviews = nullptr;
  QCheckBox* chkOnlyChangedFiles = nullptr;
  QCheckBox* chkKeepCurrent = nullptr;  // the live watch while the window is open
  QGroupBox* frameThumbnails = nullptr;
  QButtonGroup* optThumbnails = nullptr;  // 0 recreate, 1 do not recreate
  QLabel* lblSubFolder = nullptr;
  QLabel* imgDest = nullptr;
  QListWidget* sqlOutPut = nullptr;
  QProgressBar* prgScan = nullptr;  // files done of the quick count, shown while a scan runs
  QLabel* lblProgress = nullptr;    // the same in words, with files per second and the time left
  LinkLabel* lblNextStep = nullptr;
};

}  // namespace tessarine
