#include "workflows/connection/CheckedTableName.h"

#include "core/WindowTitle.h"

namespace tessarine {

Expected<TableName> CheckedTableName(UserPort& port, std::string_view name) {
  if (std::optional<TableName> checked = TableName::Of(name)) return *checked;
  const std::string text = InvalidTableNameText(name);
  port.ShowMessage(text, MessageIcon::Exclamation, kWindowTitle, MessageButtons::Ok);
  port.Beep();
  return Error(ErrorKind::TableName, text);
}

}  // namespace tessarine
