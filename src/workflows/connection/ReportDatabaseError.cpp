#include "workflows/connection/ReportDatabaseError.h"

#include "core/WindowTitle.h"

namespace tessarine {

void ReportDatabaseError(UserPort& port, long number, std::string_view description) {
  port.ShowMessage(DatabaseErrorText(number, description), MessageIcon::Exclamation, kWindowTitle,
                   MessageButtons::Ok);
  port.Beep();
}

void ReportDatabaseError(UserPort& port, const DatabaseError& error) {
  ReportDatabaseError(port, error.NativeError(), error.Description());
}

Status SendOrReport(StatementSink& sink, UserPort& port, std::string_view sql) {
  try {
    sink.SendStatement(sql);
    return {};
  } catch (const DatabaseError& error) {
    ReportDatabaseError(port, error);
    return error;
  }
}

void SendIgnoringErrors(StatementSink& sink, std::string_view sql) {
  try {
    sink.SendStatement(sql);
  } catch (const DatabaseError&) {
    // the caller expects this statement may fail
  }
}

}  // namespace tessarine
