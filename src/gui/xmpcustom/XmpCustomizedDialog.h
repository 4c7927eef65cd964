#pragma once
// frmXMPCustomized: ten custom XMP schemas with ten properties each, checked on "Save".

#include <QDialog>
#include <functional>

#include "core/CustomXmpDefinition.h"
#include "workflows/xmpcustom/CustomXmpColumns.h"

class QFrame;
class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class QTabBar;

namespace tessarine {

class XmpCustomizedDialog : public QDialog {
  Q_OBJECT
 public:
  using DialogRunner = std::function<void(QDialog&)>;

  // Form_Load: the boxes are filled from the definition.
  explicit XmpCustomizedDialog(const CustomXmpDefinition& definition, QWidget* parent = nullptr);

  // How the column chooser is shown (modal by default; tests drive it without blocking).
  void SetDialogRunner(DialogRunner runner) { m_runDialog = std::move(runner); }

  // The definitions as saved; valid after "Save" accepted the dialog.
  const CustomXmpDefinition& Definition() const { return m_saved; }
  // The boxes as they stand, column boxes holding full column names.
  CustomXmpDefinition Boxes() const;
  int CurrentRow() const { return m_currentRow; }

 private:
  QFrame* BuildPanel(int k);
  void TabStripCustomized_Click(int tab);
  void txtDescriptionName_Change(int k);
  void cmdChoose_Click(int row);
  void cmdOK_Click();

  QTabBar* m_tabStrip = nullptr;
  QFrame* m_panels[kCustomSchemaCount] = {};
  QLineEdit* m_description[kCustomSchemaCount] = {};
  QLineEdit* m_nameSpace[kCustomSchemaCount] = {};
  QLineEdit* m_prefix[kCustomSchemaCount] = {};
  QLineEdit* m_fieldName[kCustomRowCount] = {};
  QLineEdit* m_column[kCustomRowCount] = {};
  QPushButton* m_choose[kCustomRowCount] = {};
  QPlainTextEdit* m_status = nullptr;
  QListWidget* m_controlNs = nullptr;

  int m_currentRow = -1;
  CustomXmpDefinition m_saved;
  DialogRunner m_runDialog;
};

}  // namespace tessarine
