#pragma once
// The one error type of the database layer: what the driver manager, the driver or the server
// reported, as native error number, SQLSTATE and message.

#include <stdexcept>
#include <string>
#include <string_view>

namespace tessarine {

class DatabaseError : public std::runtime_error {
 public:
  DatabaseError(long nativeError, std::string sqlState, std::string description);

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
