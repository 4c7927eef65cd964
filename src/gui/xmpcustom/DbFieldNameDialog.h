#pragma once
// frmDBFieldName: picks the images-table column XMPCustom01..XMPCustom100 of one editor row,
// writing the choice straight into that row's column box.

#include <QDialog>
#include <array>
#include <string>

#include "workflows/xmpcustom/CustomXmpColumns.h"

class QButtonGroup;
class QLineEdit;

namespace tessarine {

class DbFieldNameDialog : public QDialog {
  Q_OBJECT
 public:
  // columnBoxes: every editor row's column box; rowColumnBox: the current row's box, written here.
  DbFieldNameDialog(const std::array<std::string, kCustomRowCount>& columnBoxes, int currentRow,
                    bool currentHasPropertyName, QLineEdit* rowColumnBox, QWidget* parent = nullptr);

  // Puts the dialog's top-left corner at the bottom-right corner of the row's "Select" button.
  void PlaceAtCorner(const QWidget* selectButton);

 private:
  void optFieldNumber_Click(int option);
  void cmdClear_Click();
  void cmdCancel_Click();

  QLineEdit* m_rowColumnBox;
  QString m_columnOnOpening;
  QButtonGroup* m_options = nullptr;
};

}  // namespace tessarine
