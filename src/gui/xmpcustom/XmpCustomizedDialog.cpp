#include "gui/xmpcustom/XmpCustomizedDialog.h"

#include <algorithm>

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabBar>
#include <QVBoxLayout>

#include "gui/WidgetNames.h"
#include "gui/xmpcustom/DbFieldNameDialog.h"
#include "workflows/xmpcustom/CustomXmpCheck.h"
#include "workflows/xmpcustom/UncollectedCustomFields.h"

namespace tessarine {
namespace {

// What a 1024-pixel screen holds beside the window's frame.
constexpr int kWidestOpening = 980;

QString Text(const std::string& text) { return QString::fromStdString(text); }
std::string Text(const QLineEdit* box) { return box->text().toStdString(); }

}  // namespace

XmpCustomizedDialog::XmpCustomizedDialog(const CustomXmpDefinition& definition, QWidget* parent)
    : QDialog(parent), m_saved(definition) {
  setObjectName(QStringLiteral("frmXMPCustomized"));
  setWindowTitle(QStringLiteral("Define Customized XMP fields"));
  auto* layout = new QVBoxLayout(this);

  m_tabStrip = Named(new QTabBar(this), QStringLiteral("TabStripCustomized"));
  m_tabStrip->setExpanding(false);
  m_tabStrip->setUsesScrollButtons(true);
  for (int k = 0; k < kCustomSchemaCount; ++k) m_tabStrip->addTab(QString());
  layout->addWidget(m_tabStrip);

  // All ten panels share one place; only the selected schema's panel shows.
  auto* panels = new QGridLayout;
  for (int k = 0; k < kCustomSchemaCount; ++k) panels->addWidget(BuildPanel(k), 0, 0);
  layout->addLayout(panels, 1);

  m_status = Named(new QPlainTextEdit(this), QStringLiteral("lblStatus"));
  m_status->setReadOnly(true);
  m_status->setFixedHeight(m_status->fontMetrics().lineSpacing() * 3 + 12);
  layout->addWidget(m_status);
  m_controlNs = Named(new QListWidget(this), QStringLiteral("lstControlNS"));
  m_controlNs->setSortingEnabled(true);
  m_controlNs->setVisible(false);

  auto* buttons = new QHBoxLayout;
  auto* save = Named(new QPushButton(QStringLiteral("Save"), this), QStringLiteral("cmdOK"));
  auto* cancel = Named(new QPushButton(QStringLiteral("Cancel"), this), QStringLiteral("cmdCancel"));
  buttons->addStretch();
  buttons->addWidget(save);
  buttons->addWidget(cancel);
  layout->addLayout(buttons);
  connect(save, &QPushButton::clicked, this, &XmpCustomizedDialog::cmdOK_Click);
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

  // Form_Load: putting each stored description into its box runs the description change.
  const CustomXmpDefinition boxes = BoxesFromDefinition(definition);
  for (int k = 0; k < kCustomSchemaCount; ++k) {
    const CustomXmpSchema& schema = boxes.schemas[k];
    m_nameSpace[k]->setText(Text(schema.ns));
    m_prefix[k]->setText(Text(schema.prefix));
    for (int j = 0; j < kCustomPropertyCount; ++j) {
      m_fieldName[RowIndex(k, j)]->setText(Text(schema.properties[j].xmpFieldName));
      m_column[RowIndex(k, j)]->setText(Text(schema.properties[j].dbFieldName));
    }
    m_description[k]->setText(Text(schema.description));
    txtDescriptionName_Change(k);
    connect(m_description[k], &QLineEdit::textChanged, this, [this, k] { txtDescriptionName_Change(k); });
  }
  connect(m_tabStrip, &QTabBar::currentChanged, this, [this](int index) { TabStripCustomized_Click(index + 1); });
  m_tabStrip->setCurrentIndex(0);
  TabStripCustomized_Click(1);
  // Stored fields the scan passes over, to be chosen again.
  const std::vector<std::string> uncollected = UncollectedCustomFields(definition);
  if (!uncollected.empty()) {
    QString text = QStringLiteral("Not collected until corrected:");
    for (const std::string& line : uncollected) text += QLatin1Char('\n') + Text(line);
    m_status->setPlainText(text);
  }
  // Wide enough for the ten tabs of empty schemas where the screen allows; the strip scrolls on
  // a small one.
  resize(std::min(std::max(sizeHint().width(), m_tabStrip->sizeHint().width() + 40), kWidestOpening),
         sizeHint().height());
}

QFrame* XmpCustomizedDialog::BuildPanel(int k) {
  auto* panel = Named(new QFrame(this), "FrameCustomized", k);
  panel->setFrameShape(QFrame::StyledPanel);
  QSizePolicy policy = panel->sizePolicy();
  policy.setRetainSizeWhenHidden(true);
  panel->setSizePolicy(policy);
  m_panels[k] = panel;

  auto* layout = new QGridLayout(panel);
  layout->setVerticalSpacing(3);
  m_description[k] = Named(new QLineEdit(panel), "txtDescriptionName", k);
  m_nameSpace[k] = Named(new QLineEdit(panel), "txtNameSpace", k);
  m_prefix[k] = Named(new QLineEdit(panel), "txtPrefix", k);
  layout->addWidget(Named(new QLabel(QStringLiteral("Description\n#%1").arg(k + 1), panel), "lblDescription", k), 0, 0);
  layout->addWidget(m_description[k], 0, 1, 1, 2);
  layout->addWidget(Named(new QLabel(QStringLiteral("Namespace"), panel), "lblNameSpace", k), 1, 0);
  layout->addWidget(m_nameSpace[k], 1, 1, 1, 2);
  layout->addWidget(Named(new QLabel(QStringLiteral("Prefix"), panel), "lblPrefix", k), 2, 0);
  layout->addWidget(m_prefix[k], 2, 1);
  layout->addWidget(Named(new QLabel(QStringLiteral("XMP Field name"), panel), "lblXMPFieldName", k), 3, 1);
  layout->addWidget(Named(new QLabel(QStringLiteral("Database Field name"), panel), "lblDBFieldName", k), 3, 2);
  for (int j = 0; j < kCustomPropertyCount; ++j) {
    const int row = RowIndex(k, j);
    m_fieldName[row] = Named(new QLineEdit(panel), "txtXMPFieldName", row);
    m_column[row] = Named(new QLineEdit(panel), "txtDBFieldName", row);
    // Chosen with "Select" only: a typed name would store whatever followed its ninth character.
    m_column[row]->setReadOnly(true);
    m_choose[row] = Named(new QPushButton(QStringLiteral("Select"), panel), "cmdChoose", row);
    layout->addWidget(new QLabel(QString::number(j + 1), panel), 4 + j, 0, Qt::AlignRight);
    layout->addWidget(m_fieldName[row], 4 + j, 1);
    layout->addWidget(m_column[row], 4 + j, 2);
    layout->addWidget(m_choose[row], 4 + j, 3);
    connect(m_choose[row], &QPushButton::clicked, this, [this, row] { cmdChoose_Click(row); });
  }
  layout->setColumnStretch(1, 3);
  layout->setColumnStretch(2, 2);
  layout->setColumnMinimumWidth(1, 240);
  return panel;
}

void XmpCustomizedDialog::TabStripCustomized_Click(int tab) {
  for (int k = 0; k < kCustomSchemaCount; ++k) m_panels[k]->setVisible(k == tab - 1);
}

void XmpCustomizedDialog::txtDescriptionName_Change(int k) {
  const QString description = m_description[k]->text();
  const bool defined = !description.isEmpty();
  m_tabStrip->setTabText(k, defined ? description : QStringLiteral("Description #%1").arg(k + 1));
  // The description box stays editable; everything else of the schema follows it.
  for (QWidget* child : m_panels[k]->findChildren<QWidget*>()) {
    if (child != m_description[k] && child->objectName() != QStringLiteral("lblDescription_%1").arg(k)) {
      child->setEnabled(defined);
    }
  }
  m_status->setPlainText(defined ? QString()
                                 : QStringLiteral("Type a description name to define XMP custom fields\n"
                                                  "in schema described by 'Namespace' and 'Prefix'"));
}

CustomXmpDefinition XmpCustomizedDialog::Boxes() const {
  CustomXmpDefinition boxes;
  for (int k = 0; k < kCustomSchemaCount; ++k) {
    CustomXmpSchema& schema = boxes.schemas[k];
    schema.description = Text(m_description[k]);
    schema.ns = Text(m_nameSpace[k]);
    schema.prefix = Text(m_prefix[k]);
    for (int j = 0; j < kCustomPropertyCount; ++j) {
      schema.properties[j].xmpFieldName = Text(m_fieldName[RowIndex(k, j)]);
      schema.properties[j].dbFieldName = Text(m_column[RowIndex(k, j)]);
    }
  }
  return boxes;
}

void XmpCustomizedDialog::cmdChoose_Click(int row) {
  m_currentRow = row;
  const CustomXmpDefinition boxes = Boxes();
  DbFieldNameDialog chooser(ColumnBoxesOf(boxes), row, !m_fieldName[row]->text().isEmpty(), m_column[row], this);
  chooser.PlaceAtCorner(m_choose[row]);
  if (m_runDialog) {
    m_runDialog(chooser);
  } else {
    chooser.exec();
  }
}

void XmpCustomizedDialog::cmdOK_Click() {
  m_status->clear();
  m_controlNs->clear();
  const CustomXmpDefinition boxes = Boxes();
  const CustomXmpCheckResult check = CheckCustomXmpBoxes(boxes);
  for (const std::string& entry : check.controlEntries) m_controlNs->addItem(Text(entry));
  if (!check.Passed()) {
    m_status->setPlainText(Text(check.message));
    return;
  }
  m_saved = DefinitionFromBoxes(boxes);
  accept();
}

}  // namespace tessarine
