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

Status SendOrReport(StatementSink& sink, UserPort& port, const SqlStatement& sql) {
  try {
    sink.Send(sql);
    return {};
  } catch (const DatabaseError& error) {
    ReportDatabaseError(port, error);
    return error;
  }
}

void SendIgnoringErrors(StatementSink& sink, const SqlStatement& sql) {
  try {
    sink.Send(sql);
  } catch (const DatabaseError&) {
    // the caller expects this statement may fail
  }
}

}  // namespace tessarine
