#include "gui/ScanFrame.h"

#include <algorithm>

#include <QButtonGroup>
#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "gui/FrameLayout.h"
#include "gui/LinkLabel.h"
#include "gui/WidgetNames.h"

namespace tessarine {
namespace {

// Column widths of the folder list, from twips at 15 twips per pixel.
constexpr int kStatusWidth = 800 / 15;
constexpr int kCountWidth = 900 / 15;
constexpr int kLastScanWidth = 1600 / 15;
// The thumbnail preview box: 1800 x 1200 twips.
constexpr int kPreviewWidth = 1800 / 15;
constexpr int kPreviewHeight = 1200 / 15;

}  // namespace

ScanFrame::ScanFrame(QWidget* parent) : QFrame(parent) {
  auto* layout = new QVBoxLayout(this);

  auto* top = new QHBoxLayout;
  lvFolders = Named(new QTreeWidget(this), QStringLiteral("lvFolders"));
  lvFolders->setRootIsDecorated(false);
  lvFolders->setColumnCount(4);
  lvFolders->setHeaderLabels({QStringLiteral("Folders to scan"), QStringLiteral("Status"),
                              QStringLiteral("Count Files"), QStringLiteral("Last Analyse")});
  QHeaderView* header = lvFolders->header();
  header->setStretchLastSection(false);
  header->setSectionResizeMode(0, QHeaderView::Stretch);
  // The widths of the original layout, widened where this font needs more room for the caption.
  const int widths[] = {0, kStatusWidth, kCountWidth, kLastScanWidth};
  for (int column = 1; column <= 3; ++column) {
    const int caption = header->fontMetrics().horizontalAdvance(lvFolders->headerItem()->text(column)) + 16;
    header->resizeSection(column, std::max(widths[column], caption));
  }
  // A scan time is 19 characters, and the longest status a word of 11: both must show whole.
  const QFontMetrics metrics = lvFolders->fontMetrics();
  const int scanTime = metrics.horizontalAdvance(QStringLiteral("0000-00-00 00:00:00")) + 16;
  header->resizeSection(3, std::max(header->sectionSize(3), scanTime));
  const int status = metrics.horizontalAdvance(QStringLiteral("Unreachable")) + 24;
  header->resizeSection(1, std::max(header->sectionSize(1), status));
  lvFolders->headerItem()->setTextAlignment(1, Qt::AlignCenter);
  lvFolders->headerItem()->setTextAlignment(2, Qt::AlignCenter);
  header->setMinimumSectionSize(40);

  // The help note sits over the empty list.
  FrameHelp = Named(new QFrame(lvFolders->viewport()), QStringLiteral("FrameHelp"));
  FrameHelp->setFrameShape(QFrame::StyledPanel);
  FrameHelp->setAutoFillBackground(true);
  auto* helpLayout = new QVBoxLayout(FrameHelp);
  const char* helpTexts[] = {"1 - Click button 'Add folder to scan'", "2 - Check folders to scan in upper list",
                             "3 - Click button 'Scan checked folders'"};
  for (int i = 0; i < 3; ++i) helpLayout->addWidget(Named(new QLabel(QString::fromLatin1(helpTexts[i]), FrameHelp), "lblHelp", i));
  FrameHelp->adjustSize();
  FrameHelp->move(24, 16);
  top->addWidget(lvFolders, 1);

  auto* buttons = new QVBoxLayout;
  cmdAddFolder = Named(new QPushButton(QStringLiteral("Add folder to scan"), this), QStringLiteral("cmdAddFolder"));
  cmdRemoveFolder = Named(new QPushButton(QStringLiteral("Remove folder"), this), QStringLiteral("cmdRemoveFolder"));
  cmdScan = Named(new QPushButton(QStringLiteral("Scan checked folders"), this), QStringLiteral("cmdScan"));
  cmdCancel = Named(new QPushButton(QStringLiteral("Stop"), this), QStringLiteral("cmdCancel"));
  cmdScan->setEnabled(false);
  cmdCancel->setVisible(false);
  buttons->addWidget(cmdAddFolder);
  buttons->addWidget(cmdRemoveFolder);
  buttons->addSpacing(12);
  buttons->addWidget(cmdScan);
  buttons->addWidget(cmdCancel);
  buttons->addStretch();
  top->addLayout(buttons);
  layout->addLayout(top, 3);

  auto* progress = new QHBoxLayout;
  prgScan = Named(new QProgressBar(this), QStringLiteral("prgScan"));
  lblProgress = Named(new QLabel(this), QStringLiteral("lblProgress"));
  progress->addWidget(prgScan, 1);
  progress->addWidget(lblProgress, 2);
  prgScan->setVisible(false);
  lblProgress->setVisible(false);
  layout->addLayout(progress);

  auto* thumbs = new QHBoxLayout;
  auto* thumbOptions = new QVBoxLayout;
  chkThumbnails = Named(new QCheckBox(QStringLiteral("Create thumbnails in '_thumbs_' subfolders"), this),
                        QStringLiteral("chkThumbnails"));
  frameThumbnails = Named(new QGroupBox(QStringLiteral("When thumbnails already exist"), this),
                          QStringLiteral("frameThumbnails"));
  auto* frameLayout = new QHBoxLayout(frameThumbnails);
  optThumbnails = new QButtonGroup(this);
  optThumbnails->setObjectName(QStringLiteral("optThumbnails"));
  const char* captions[] = {"Recreate thumbnails", "Do not recreate thumbnails"};
  for (int i = 0; i < 2; ++i) {
    auto* option = Named(new QRadioButton(QString::fromLatin1(captions[i]), frameThumbnails), "optThumbnails", i);
    optThumbnails->addButton(option, i);
    frameLayout->addWidget(option);
  }
  chkThumbnailsFromPreviews = Named(new QCheckBox(QStringLiteral("Use the previews cameras embed (faster)"), this),
                                    QStringLiteral("chkThumbnailsFromPreviews"));
  thumbOptions->addWidget(chkThumbnails);
  thumbOptions->addWidget(chkThumbnailsFromPreviews);
  thumbOptions->addWidget(frameThumbnails);
  chkOnlyChangedFiles = Named(new QCheckBox(QStringLiteral("Only read new and changed files"), this),
                              QStringLiteral("chkOnlyChangedFiles"));
  thumbOptions->addWidget(chkOnlyChangedFiles);
  chkKeepCurrent = Named(new QCheckBox(QStringLiteral("Keep the catalogue current while the window is open"), this),
                         QStringLiteral("chkKeepCurrent"));
  chkKeepCurrent->setToolTip(QStringLiteral("Rescans the listed folders as files change in them"));
  thumbOptions->addWidget(chkKeepCurrent);
  lblSubFolder = Named(new QLabel(QStringLiteral("Subfolder to update"), this), QStringLiteral("lblSubFolder"));
  lblSubFolder->setWordWrap(true);
  lblSubFolder->setVisible(false);
  thumbOptions->addWidget(lblSubFolder);
  thumbOptions->addStretch();
  thumbs->addLayout(thumbOptions, 1);

  sqlOutPut = Named(new QListWidget(this), QStringLiteral("sqlOutPut"));
  thumbs->addWidget(sqlOutPut, 2);
  imgDest = Named(new QLabel(this), QStringLiteral("imgDest"));
  imgDest->setFixedSize(kPreviewWidth, kPreviewHeight);
  imgDest->setAlignment(Qt::AlignCenter);
  imgDest->setFrameShape(QFrame::StyledPanel);
  thumbs->addWidget(imgDest, 0, Qt::AlignTop);
  layout->addLayout(thumbs, 2);

  lblNextStep = AddNextStep(layout, this, 5, QStringLiteral("Next -> Verify content of images table"));
}

void ScanFrame::SetFoldersHeader(const QString& foldersTable) {
  lvFolders->headerItem()->setText(0, QStringLiteral("Folders to scan (as stored in table '%1')").arg(foldersTable));
}

}  // namespace tessarine
