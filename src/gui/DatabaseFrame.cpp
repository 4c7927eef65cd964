#include "gui/DatabaseFrame.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "catalogue/SqlDialect.h"
#include "gui/Bullet.h"
#include "gui/FrameLayout.h"
#include "gui/LinkLabel.h"
#include "gui/WidgetNames.h"

namespace tessarine {

DatabaseFrame::DatabaseFrame(QWidget* parent) : QFrame(parent) {
  auto help = [this](int index, const QString& text) {
    auto* label = Named(new QLabel(text, this), "lblHelplDatabase", index);
    label->setWordWrap(true);
    return label;
  };
  auto* layout = new QVBoxLayout(this);

  auto* note = Named(new QFrame(this), QStringLiteral("FrameHelpDatabase"));
  note->setFrameShape(QFrame::StyledPanel);
  auto* noteLayout = new QHBoxLayout(note);
  QLabel* noteText = help(9, QStringLiteral("Follow tabs 1 to 5 to build your professional images database"));
  QFont bold = noteText->font();
  bold.setBold(true);
  noteText->setFont(bold);
  noteLayout->addWidget(noteText);
  layout->addWidget(note);

  AddStep(layout, MakeBullet(this),
          help(0, QStringLiteral("1.1 - Install any SQL database system like MySQL, PostgreSQL, Oracle, DB2, "
                                 "SQL Server, etc.")));
  AddStep(layout, MakeBullet(this), help(10, QStringLiteral("1.2 - Select your installed database system")));

  optDatabase = new QButtonGroup(this);
  optDatabase->setObjectName(QStringLiteral("optDatabase"));
  auto* options = new QHBoxLayout;
  options->setContentsMargins(IndentOfStepText(), 0, 0, 0);
  for (int i = 0; i < 4; ++i) {
    const std::string_view caption = DbmsCaption(static_cast<DbmsKind>(i));
    auto* option = Named(new QRadioButton(QString::fromUtf8(caption.data(), static_cast<qsizetype>(caption.size())), this),
                         "optDatabase", i);
    optDatabase->addButton(option, i);
    options->addWidget(option);
    option->setFocusPolicy(Qt::ClickFocus);
  }
  // Tab enters the kinds at the checked one; the arrow keys move among them.
  connect(optDatabase, &QButtonGroup::idToggled, this, [this](int id, bool checked) {
    optDatabase->button(id)->setFocusPolicy(checked ? Qt::StrongFocus : Qt::ClickFocus);
  });
  options->addStretch();
  layout->addLayout(options);

  AddStep(layout, MakeBullet(this), help(1, QStringLiteral("1.3 - Create an empty database")));
  auto* examples = new QGridLayout;
  examples->setContentsMargins(IndentOfStepText(), 0, 0, 0);
  examples->setColumnStretch(1, 1);
  auto heading = [&help](int index, const QString& text) {
    QLabel* label = help(index, text);
    label->setWordWrap(false);
    return label;
  };
  examples->addWidget(heading(2, QStringLiteral("For MySQL:")), 0, 0, Qt::AlignTop);
  examples->addWidget(help(3, QStringLiteral("Run the MariaDB/MySQL command-line client (mariadb or mysql) or a "
                                              "tool such as DBeaver and run \"create database photos;\"")),
                      0, 1);
  examples->addWidget(heading(4, QStringLiteral("For PostgreSQL:")), 1, 0, Qt::AlignTop);
  examples->addWidget(help(5, QStringLiteral("Run \"pgAdmin\", connect to the server, then right click on "
                                              "\"Databases\" and choose \"Create > Database\" (or run createdb)")),
                      1, 1);
  examples->addWidget(heading(6, QStringLiteral("Other SQL databases:")), 2, 0, Qt::AlignTop);
  examples->addWidget(help(7, QStringLiteral("Read the administrator's manual")), 2, 1);
  examples->addWidget(help(8, QStringLiteral("You can also run a \"create database\" SQL statement")), 3, 1);
  layout->addLayout(examples);

  auto* buttons = new QHBoxLayout;
  buttons->setContentsMargins(IndentOfStepText(), 8, 0, 0);
  cmdHelp = Named(new QPushButton(QStringLiteral("Help"), this), QStringLiteral("cmdHelp"));
  cmdAbout = Named(new QPushButton(QStringLiteral("About"), this), QStringLiteral("cmdAbout"));
  buttons->addWidget(cmdHelp);
  buttons->addWidget(cmdAbout);
  buttons->addStretch();
  layout->addLayout(buttons);

  layout->addStretch();
  lblNextStep = AddNextStep(layout, this, 1, QStringLiteral("Next -> Define Connection"));
}

}  // namespace tessarine
