#include "gui/VerifyFrame.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabBar>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "gui/WidgetNames.h"

namespace tessarine {
namespace {

constexpr int kFileColumnWidth = 2600 / 15;  // twips to pixels

}  // namespace

VerifyFrame::VerifyFrame(QWidget* parent) : QFrame(parent) {
  auto* layout = new QVBoxLayout(this);
  TabStripVerify = Named(new QTabBar(this), QStringLiteral("TabStripVerify"));
  TabStripVerify->addTab(QStringLiteral("Verify"));
  TabStripVerify->addTab(QStringLiteral("Check"));
  TabStripVerify->setDrawBase(true);
  layout->addWidget(TabStripVerify);

  // The panels share one grid cell; exactly one is visible.
  auto* panels = new QGridLayout;
  panels->addWidget(BuildVerifyPanel(), 0, 0);
  panels->addWidget(BuildCheckPanel(), 0, 0);
  layout->addLayout(panels, 1);
  for (int i = 1; i <= kSubTabCount; ++i) {
    QSizePolicy policy = FrameVerify[i]->sizePolicy();
    policy.setRetainSizeWhenHidden(true);
    FrameVerify[i]->setSizePolicy(policy);
  }
  FrameVerify[2]->setVisible(false);

  connect(TabStripVerify, &QTabBar::tabBarClicked, this, [this](int index) { ShowSubTab(index + 1); });
  // The arrow keys on the strip move to a sub-tab as a click does.
  connect(TabStripVerify, &QTabBar::currentChanged, this, [this](int index) { ShowSubTab(index + 1); });
}

void VerifyFrame::ShowSubTab(int index) {
  if (index == m_currentSubTab || index < 1 || index > kSubTabCount) return;
  m_currentSubTab = index;
  TabStripVerify->setCurrentIndex(index - 1);
  for (int i = 1; i <= kSubTabCount; ++i) FrameVerify[i]->setVisible(i == index);
  FrameVerify[index]->raise();
}

QWidget* VerifyFrame::BuildVerifyPanel() {
  // The browser's panel shows no caption.
  FrameVerify[1] = Named(new QGroupBox(this), "FrameVerify", 1);
  auto* layout = new QGridLayout(FrameVerify[1]);
  lblVerifyQuery = Named(new QLabel(QStringLiteral("Query - get first 20 lines of images table"), FrameVerify[1]),
                         QStringLiteral("lblVerifyQuery"));
  txtVerifyQuery = Named(new QPlainTextEdit(FrameVerify[1]), QStringLiteral("txtVerifyQuery"));
  txtVerifyQuery->setFixedHeight(txtVerifyQuery->fontMetrics().lineSpacing() * 3 + 12);
  cmdVerifyQuery = Named(new QPushButton(QStringLiteral("Verify"), FrameVerify[1]), QStringLiteral("cmdVerifyQuery"));
  lblVerifyResult = Named(new QLabel(QStringLiteral("Result"), FrameVerify[1]), QStringLiteral("lblVerifyResult"));
  txtVerifyResult = Named(new QPlainTextEdit(FrameVerify[1]), QStringLiteral("txtVerifyResult"));
  txtVerifyResult->setReadOnly(true);

  auto* moves = new QVBoxLayout;
  cmdBegin = Named(new QPushButton(QStringLiteral("First line"), FrameVerify[1]), QStringLiteral("cmdBegin"));
  cmdPrevious = Named(new QPushButton(QStringLiteral("Previous line"), FrameVerify[1]), QStringLiteral("cmdPrevious"));
  cmdNext = Named(new QPushButton(QStringLiteral("Next line"), FrameVerify[1]), QStringLiteral("cmdNext"));
  cmdEnd = Named(new QPushButton(QStringLiteral("Last line"), FrameVerify[1]), QStringLiteral("cmdEnd"));
  for (QPushButton* button : {cmdBegin, cmdPrevious, cmdNext, cmdEnd}) moves->addWidget(button);
  moves->addSpacing(12);
  optDisplayFields = new QButtonGroup(this);
  optDisplayFields->setObjectName(QStringLiteral("optDisplayFields"));
  const char* captions[] = {"Display only non empty fields", "Display all fields"};
  for (int i = 0; i < 2; ++i) {
    auto* option = Named(new QRadioButton(QString::fromLatin1(captions[i]), FrameVerify[1]), "optDisplayFields", i);
    optDisplayFields->addButton(option, i);
    moves->addWidget(option);
  }
  optDisplayFields->button(0)->setChecked(true);
  moves->addStretch();

  layout->addWidget(lblVerifyQuery, 0, 0);
  layout->addWidget(txtVerifyQuery, 1, 0);
  layout->addWidget(cmdVerifyQuery, 1, 1, Qt::AlignTop);
  layout->addWidget(lblVerifyResult, 2, 0);
  layout->addWidget(txtVerifyResult, 3, 0);
  layout->addLayout(moves, 3, 1);
  layout->setColumnStretch(0, 1);
  layout->setRowStretch(3, 1);
  return FrameVerify[1];
}

QWidget* VerifyFrame::BuildCheckPanel() {
  FrameVerify[2] = Named(new QGroupBox(QStringLiteral("Check"), this), "FrameVerify", 2);
  auto* layout = new QGridLayout(FrameVerify[2]);
  const char* titles[] = {"Files without corresponding lines in images table",
                          "Lines in images table without corresponding files"};
  for (int i = 0; i < 2; ++i) {
    layout->addWidget(Named(new QLabel(QString::fromLatin1(titles[i]), FrameVerify[2]), "lblCheckedFiles", i), 0, i);
    lvCheckedFiles[i] = Named(new QTreeWidget(FrameVerify[2]), "lvCheckedFiles", i);
    lvCheckedFiles[i]->setRootIsDecorated(false);
    lvCheckedFiles[i]->setHeaderLabels({QStringLiteral("Folder"), QStringLiteral("File")});
    QHeaderView* header = lvCheckedFiles[i]->header();
    header->setStretchLastSection(false);
    header->setSectionResizeMode(0, QHeaderView::Stretch);
    header->resizeSection(1, kFileColumnWidth);
    layout->addWidget(lvCheckedFiles[i], 1, i);
  }
  cmdDeleteFiles = Named(new QPushButton(QStringLiteral("Move to trash"), FrameVerify[2]), QStringLiteral("cmdDeleteFiles"));
  cmdScanFileFolders =
      Named(new QPushButton(QStringLiteral("Scan their folders"), FrameVerify[2]), QStringLiteral("cmdScanFileFolders"));
  cmdDeleteLines = Named(new QPushButton(QStringLiteral("Delete lines"), FrameVerify[2]), QStringLiteral("cmdDeleteLines"));
  auto* files = new QHBoxLayout;
  files->addWidget(cmdDeleteFiles);
  files->addWidget(cmdScanFileFolders);
  files->addStretch();
  layout->addLayout(files, 2, 0);
  layout->addWidget(cmdDeleteLines, 2, 1, Qt::AlignLeft);

  // "Check" and "Cancel" take the same place at the right of the second list; they alternate.
  cmdCheck = Named(new QPushButton(QStringLiteral("Check"), FrameVerify[2]), QStringLiteral("cmdCheck"));
  cmdCancelCheck = Named(new QPushButton(QStringLiteral("Cancel"), FrameVerify[2]), QStringLiteral("cmdCancelCheck"));
  cmdCancelCheck->setVisible(false);
  auto* run = new QHBoxLayout;
  run->addStretch();
  run->addWidget(cmdCheck);
  run->addWidget(cmdCancelCheck);
  layout->addLayout(run, 2, 1);

  txtCheckedFile = Named(new QLineEdit(FrameVerify[2]), QStringLiteral("txtCheckedFile"));
  txtCheckedFile->setReadOnly(true);
  layout->addWidget(txtCheckedFile, 3, 0, 1, 2);
  layout->setRowStretch(1, 1);
  return FrameVerify[2];
}

}  // namespace tessarine
