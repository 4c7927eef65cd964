#include "gui/ConnectionFrame.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "gui/Bullet.h"
#include "gui/FrameLayout.h"
#include "gui/LinkLabel.h"
#include "gui/WebLinks.h"
#include "gui/WidgetNames.h"

namespace tessarine {

ConnectionFrame::ConnectionFrame(QWidget* parent) : QFrame(parent) {
  auto help = [this](int index, const QString& text) {
    auto* label = Named(new QLabel(text, this), "lblHelpConnection", index);
    label->setWordWrap(true);
    return label;
  };
  auto link = [this](const char* name, const QString& caption, const char* address) {
    auto* label = Named(new LinkLabel(caption, this), QString::fromLatin1(name));
    label->setToolTip(QString::fromLatin1(address));
    return label;
  };
  auto indented = [] {
    auto* row = new QHBoxLayout;
    row->setContentsMargins(IndentOfStepText(), 0, 0, 0);
    return row;
  };
  auto* layout = new QVBoxLayout(this);

  AddStep(layout, MakeBullet(this), help(0, QStringLiteral("2.1 - Install ODBC driver")));
  lblLinkMySQLODBC = link("lblLinkMySQLODBC", QStringLiteral("Get driver on MySQL web site"), kMySqlOdbcAddress);
  lblLinkPostgresODBC =
      link("lblLinkPostgresODBC", QStringLiteral("Get driver on PostgreSQL web site"), kPostgreSqlOdbcAddress);
  auto* drivers = new QGridLayout;
  drivers->setContentsMargins(IndentOfStepText(), 0, 0, 0);
  drivers->setColumnStretch(2, 1);
  drivers->addWidget(help(1, QStringLiteral("For MySQL:")), 0, 0);
  drivers->addWidget(lblLinkMySQLODBC, 0, 1);
  drivers->addWidget(help(2, QStringLiteral("For PostgreSQL:")), 1, 0);
  drivers->addWidget(lblLinkPostgresODBC, 1, 1);
  layout->addLayout(drivers);

  AddStep(layout, MakeBullet(this), help(3, QStringLiteral("2.2 - Create an ODBC Data Source")));
  auto* path = indented();
  path->addWidget(help(4, QStringLiteral("Describe it in your own ~/.odbc.ini (\"odbcinst -q -s\" lists the data "
                                         "sources defined)")));
  layout->addLayout(path);
  auto* admin = indented();
  lblRunODBCAdministrator = Named(new LinkLabel(QStringLiteral("Edit ODBC data sources"), this),
                                  QStringLiteral("lblRunODBCAdministrator"));
  QLabel* orClick = help(5, QStringLiteral("or click"));
  orClick->setWordWrap(false);
  admin->addWidget(orClick);
  admin->addWidget(lblRunODBCAdministrator);
  admin->addStretch();
  layout->addLayout(admin);

  AddStep(layout, MakeBullet(this),
          help(6, QStringLiteral("2.3 - Fill in following fields and test query to verify the connection to "
                                 "your database")));
  auto* fields = new QGridLayout;
  fields->setContentsMargins(IndentOfStepText(), 0, 0, 0);
  txtDSN = Named(new QLineEdit(this), QStringLiteral("txtDSN"));
  txtLogin = Named(new QLineEdit(this), QStringLiteral("txtLogin"));
  txtPassword = Named(new QLineEdit(this), QStringLiteral("txtPassword"));
  txtPassword->setEchoMode(QLineEdit::Password);
  fields->addWidget(Named(new QLabel(QStringLiteral("ODBC Data Source Name (DSN)"), this),
                          QStringLiteral("lblDSN")), 0, 0);
  fields->addWidget(Named(new QLabel(QStringLiteral("Login"), this), QStringLiteral("lblLogin")), 0, 1);
  fields->addWidget(Named(new QLabel(QStringLiteral("Password"), this), QStringLiteral("lblPassword")), 0, 2);
  fields->addWidget(txtDSN, 1, 0);
  fields->addWidget(txtLogin, 1, 1);
  fields->addWidget(txtPassword, 1, 2);
  fields->setColumnStretch(0, 3);
  fields->setColumnStretch(1, 1);
  fields->setColumnStretch(2, 1);
  layout->addLayout(fields);

  optDSN = new QButtonGroup(this);
  optDSN->setObjectName(QStringLiteral("optDSN"));
  auto* kinds = new QGridLayout;
  kinds->setContentsMargins(IndentOfStepText(), 0, 0, 0);
  const char* captions[] = {"User or System DSN", "File DSN"};
  for (int i = 0; i < 2; ++i) {
    auto* option = Named(new QRadioButton(QString::fromLatin1(captions[i]), this), "optDSN", i);
    optDSN->addButton(option, i);
    kinds->addWidget(option, i, 0);
  }
  QLabel* caution = help(7, QStringLiteral("Caution:"));
  caution->setStyleSheet(QStringLiteral("color: #b00000; font-weight: bold;"));
  kinds->addWidget(caution, 0, 1);
  kinds->addWidget(help(8, QStringLiteral("check carefully DSN type according to your ODBC Data Source")), 0, 2);
  kinds->setColumnStretch(2, 1);
  layout->addLayout(kinds);

  auto* test = new QGridLayout;
  test->setContentsMargins(IndentOfStepText(), 0, 0, 0);
  txtQuery = Named(new QPlainTextEdit(this), QStringLiteral("txtQuery"));
  txtQuery->setFixedHeight(txtQuery->fontMetrics().lineSpacing() * 3 + 12);
  txtResult = Named(new QLineEdit(this), QStringLiteral("txtResult"));
  cmdTestingQuery = Named(new QPushButton(QStringLiteral("Testing Query"), this), QStringLiteral("cmdTestingQuery"));
  test->addWidget(Named(new QLabel(QStringLiteral("Query"), this), QStringLiteral("lblQuery")), 0, 0);
  test->addWidget(Named(new QLabel(QStringLiteral("Result (must be '1')"), this), QStringLiteral("lblResult")), 0, 1);
  test->addWidget(txtQuery, 1, 0, Qt::AlignTop);
  auto* resultColumn = new QVBoxLayout;
  resultColumn->addWidget(txtResult);
  resultColumn->addWidget(cmdTestingQuery);
  resultColumn->addStretch();
  test->addLayout(resultColumn, 1, 1);
  test->setColumnStretch(0, 3);
  test->setColumnStretch(1, 1);
  layout->addLayout(test);

  layout->addStretch();
  lblNextStep = AddNextStep(layout, this, 2, QStringLiteral("Next -> Define Tables"));
}

}  // namespace tessarine
