#pragma once
// The common database error report: a message box "Error " + number + ": " + description with an
// exclamation icon, an OK button and the window title, then a beep.

#include <string_view>

#include "catalogue/StatementSink.h"
#include "core/DatabaseError.h"
#include "core/Error.h"
#include "core/UserPort.h"

namespace tessarine {

void ReportDatabaseError(UserPort& port, long number, std::string_view description);
void ReportDatabaseError(UserPort& port, const DatabaseError& error);

// Sends one statement; a database error is reported and returned.
Status SendOrReport(StatementSink& sink, UserPort& port, const SqlStatement& sql);

// Sends one statement and ignores any database error (a drop of a table that may not exist).
void SendIgnoringErrors(StatementSink& sink, const SqlStatement& sql);

}  // namespace tessarine
