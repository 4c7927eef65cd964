#pragma once
// The error of the database layer: what the driver manager, the driver or the server reported, as
// native error number, SQLSTATE and message.

#include <string>
#include <string_view>

#include "core/Error.h"

namespace tessarine {

class DatabaseError : public Error {
 public:
  DatabaseError(long nativeError, std::string sqlState, std::string description,
                ErrorKind kind = ErrorKind::Database);

  long NativeError() const { return m_nativeError; }
  const std::string& SqlState() const { return m_sqlState; }
  const std::string& Description() const { return m_description; }

  // "Error " + native number + ": " + description: the text every database error report shows.
  std::string CommonText() const;

 private:
  long m_nativeError;
  std::string m_sqlState;
  std::string m_description;
};

// "Error " + number in decimal + ": " + description.
std::string DatabaseErrorText(long number, std::string_view description);

}  // namespace tessarine
