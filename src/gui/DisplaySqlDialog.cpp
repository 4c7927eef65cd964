#include "gui/DisplaySqlDialog.h"

#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "gui/WidgetNames.h"

namespace tessarine {

DisplaySqlDialog::DisplaySqlDialog(const QString& caption, const QString& statement, QWidget* parent)
    : QDialog(parent) {
  setObjectName(QStringLiteral("frmDisplaySQLStatement"));
  setWindowTitle(caption);
  auto* layout = new QVBoxLayout(this);
  txtSQL = Named(new QPlainTextEdit(this), QStringLiteral("txtSQL"));
  txtSQL->setReadOnly(true);
  txtSQL->setPlainText(statement);
  layout->addWidget(txtSQL, 1);
  auto* cancel = Named(new QPushButton(QStringLiteral("Cancel"), this), QStringLiteral("cmdCancel"));
  auto* row = new QHBoxLayout;
  row->addStretch();
  row->addWidget(cancel);
  layout->addLayout(row);
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
  resize(640, 360);
}

}  // namespace tessarine
