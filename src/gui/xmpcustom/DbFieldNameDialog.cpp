#include "gui/xmpcustom/DbFieldNameDialog.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QVBoxLayout>

#include "gui/WidgetNames.h"
#include "workflows/xmpcustom/ColumnChooser.h"

namespace tessarine {

DbFieldNameDialog::DbFieldNameDialog(const std::array<std::string, kCustomRowCount>& columnBoxes, int currentRow,
                                     bool currentHasPropertyName, QLineEdit* rowColumnBox, QWidget* parent)
    : QDialog(parent), m_rowColumnBox(rowColumnBox), m_columnOnOpening(rowColumnBox->text()) {
  setObjectName(QStringLiteral("frmDBFieldName"));
  setWindowTitle(QStringLiteral("Select DB Field name"));
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(Named(new QLabel(QStringLiteral("Select a number from 01 to 100"), this), "lblHelpDBFieldName", 0));

  m_options = new QButtonGroup(this);
  m_options->setObjectName(QStringLiteral("optFieldNumber"));
  auto* grid = new QGridLayout;
  grid->setHorizontalSpacing(10);
  grid->setVerticalSpacing(2);
  for (int n = 0; n < kCustomRowCount; ++n) {
    auto* option = Named(new QRadioButton(QString::fromStdString(ColumnOptionCaption(n)), this), "optFieldNumber", n);
    m_options->addButton(option, n);
    grid->addWidget(option, n % 10, n / 10);
  }
  layout->addLayout(grid);
  layout->addWidget(Named(new QLabel(QStringLiteral("Field names to store XMP metadata are XMPCustom01 to XMPCustom100"),
                                     this),
                          "lblHelpDBFieldName", 1));

  auto* buttons = new QHBoxLayout;
  auto* clear = Named(new QPushButton(QStringLiteral("Clear"), this), QStringLiteral("cmdClear"));
  auto* ok = Named(new QPushButton(QStringLiteral("OK"), this), QStringLiteral("cmdOK"));
  auto* cancel = Named(new QPushButton(QStringLiteral("Cancel"), this), QStringLiteral("cmdCancel"));
  buttons->addWidget(clear);
  buttons->addStretch();
  buttons->addWidget(ok);
  buttons->addWidget(cancel);
  layout->addLayout(buttons);

  // Form_Load: columns bound elsewhere are blocked; a new property gets the first free column at once.
  const ColumnChooserState state = OpenColumnChooser(columnBoxes, currentRow, currentHasPropertyName);
  for (int n = 0; n < kCustomRowCount; ++n) m_options->button(n)->setEnabled(state.enabled[n]);
  if (state.selected >= 0) m_options->button(state.selected)->setChecked(true);
  if (state.bindsAtOnce) optFieldNumber_Click(state.selected);

  connect(m_options, &QButtonGroup::idClicked, this, &DbFieldNameDialog::optFieldNumber_Click);
  connect(clear, &QPushButton::clicked, this, &DbFieldNameDialog::cmdClear_Click);
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);
  connect(cancel, &QPushButton::clicked, this, &DbFieldNameDialog::cmdCancel_Click);
}

void DbFieldNameDialog::PlaceAtCorner(const QWidget* selectButton) {
  adjustSize();
  QPoint corner = selectButton->mapToGlobal(QPoint(selectButton->width(), selectButton->height()));
  // Kept on the screen when the corner lies near its edge.
  if (const QScreen* screen = selectButton->screen()) {
    const QRect available = screen->availableGeometry();
    corner.setX(std::clamp(corner.x(), available.left(), std::max(available.left(), available.right() - width())));
    corner.setY(std::clamp(corner.y(), available.top(), std::max(available.top(), available.bottom() - height())));
  }
  move(corner);
}

void DbFieldNameDialog::optFieldNumber_Click(int option) {
  m_rowColumnBox->setText(QString::fromStdString(ColumnBoxText(ColumnOptionCaption(option))));
}

void DbFieldNameDialog::cmdClear_Click() {
  m_rowColumnBox->clear();
  accept();
}

void DbFieldNameDialog::cmdCancel_Click() {
  // Cancel undoes the choice made in this dialog.
  m_rowColumnBox->setText(m_columnOnOpening);
  reject();
}

}  // namespace tessarine
