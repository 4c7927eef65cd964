#include "gui/TablesFrame.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "gui/Bullet.h"
#include "gui/FrameLayout.h"
#include "gui/LinkLabel.h"
#include "gui/WidgetNames.h"

namespace tessarine {

TablesFrame::TablesFrame(QWidget* parent) : QFrame(parent) {
  auto help = [this](int index, const QString& text) {
    auto* label = Named(new QLabel(text, this), "lblHelpTables", index);
    label->setWordWrap(true);
    return label;
  };
  auto* layout = new QVBoxLayout(this);
  AddStep(layout, MakeBullet(this), help(0, QStringLiteral("Two tables must be created in the database:")));
  auto* list = new QVBoxLayout;
  list->setContentsMargins(IndentOfStepText(), 0, 0, 0);
  list->addWidget(help(1, QStringLiteral("- the first table stores folder names containing images to scan; "
                                         "default table name is 'Folders'")));
  list->addWidget(help(2, QStringLiteral("- the second table stores collected images metadata; default table "
                                         "name is 'Images'")));
  layout->addLayout(list);
  layout->addSpacing(12);

  auto* tables = new QGridLayout;
  tables->setContentsMargins(IndentOfStepText(), 0, 0, 0);
  tables->setHorizontalSpacing(10);
  txtTableFolders = Named(new QLineEdit(this), QStringLiteral("txtTableFolders"));
  txtTableImages = Named(new QLineEdit(this), QStringLiteral("txtTableImages"));
  for (int i = 0; i < 2; ++i) {
    const QString caption = i == 0 ? QStringLiteral("Create folders table") : QStringLiteral("Display SQL statement");
    cmdCreateTableFolders[i] = Named(new QPushButton(caption, this), "cmdCreateTableFolders", i);
  }
  for (int i = 0; i < 2; ++i) {
    const QString caption = i == 0 ? QStringLiteral("Create images table") : QStringLiteral("Display SQL statement");
    cmdCreateTableImages[i] = Named(new QPushButton(caption, this), "cmdCreateTableImages", i);
  }
  tables->addWidget(Named(new QLabel(QStringLiteral("Table storing folder names to scan"), this),
                          "lblTableFolders", 0), 0, 0);
  tables->addWidget(txtTableFolders, 0, 1);
  tables->addWidget(cmdCreateTableFolders[0], 0, 2);
  tables->addWidget(cmdCreateTableFolders[1], 0, 3);
  tables->addWidget(Named(new QLabel(QStringLiteral("Table storing images metadata"), this),
                          "lblTablesImages", 0), 1, 0);
  tables->addWidget(txtTableImages, 1, 1);
  tables->addWidget(cmdCreateTableImages[0], 1, 2);
  tables->addWidget(cmdCreateTableImages[1], 1, 3);
  tables->setColumnStretch(1, 1);
  tables->setColumnStretch(4, 1);
  layout->addLayout(tables);
  layout->addSpacing(16);

  AddStep(layout, MakeBullet(this),
          help(3, QStringLiteral("You can define in the same database other pairs of tables like "
                                 "Folders2/Images2, Folders3/Images3, etc.")));
  auto* caution = new QVBoxLayout;
  caution->setContentsMargins(IndentOfStepText(), 0, 0, 0);
  caution->setSpacing(0);
  caution->addWidget(help(4, QStringLiteral("However, Tessarine PRO does not check concordance between the two "
                                            "tables used in step 5 (Scan folders).")));
  caution->addWidget(help(5, QStringLiteral("Maintaining coherence between the two tables used is")));
  caution->addWidget(help(6, QStringLiteral("your responsibility.")));
  layout->addLayout(caution);

  layout->addStretch();
  lblNextStep = AddNextStep(layout, this, 3, QStringLiteral("Next -> Define images metadata to collect"));
}

}  // namespace tessarine
