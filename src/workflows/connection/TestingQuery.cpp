#include "workflows/connection/TestingQuery.h"

#include "catalogue/ConnectString.h"
#include "core/DatabaseError.h"
#include "core/WindowTitle.h"
#include "workflows/connection/OpenCatalogue.h"

namespace tessarine {

Expected<std::string> TestingQuery(CatalogueConnection& connection, UserPort& port, Settings& settings,
                         const std::filesystem::path& settingsFile, const ConnectionBoxes& boxes,
                         std::string_view query) {
  BusyPointer busy(port);
  SaveConnection(settings, settingsFile, boxes.dsn, boxes.fileDsnSelected, boxes.login, boxes.password);
  if (Status opened = OpenCatalogue(connection, port, settings, boxes.fileDsnSelected); !opened) {
    return opened.GetError();
  }
  // The driver's completed string holds the password as typed: never shown.
  port.SetStatus(MaskPassword(connection.CompletedConnectString(), settings.password));

  std::string result;
  try {
    std::unique_ptr<ResultSet> rows = connection.ExecuteStatement(query);
    if (rows && !rows->IsEof() && rows->FieldCount() > 0 && !rows->IsNull(0)) result = *rows->FieldValue(0);
  } catch (const DatabaseError& error) {
    connection.CloseConnection();
    // This report beeps before its message box.
    port.Beep();
    port.ShowMessage(error.CommonText(), MessageIcon::Exclamation, kWindowTitle, MessageButtons::Ok);
    return error;
  }
  connection.CloseConnection();
  return result;
}

}  // namespace tessarine
