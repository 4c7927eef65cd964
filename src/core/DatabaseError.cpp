#include "core/DatabaseError.h"

namespace tessarine {

std::string DatabaseErrorText(long number, std::string_view description) {
  std::string text = "Error " + std::to_string(number) + ": ";
  text += description;
  return text;
}

DatabaseError::DatabaseError(long nativeError, std::string sqlState, std::string description, ErrorKind kind)
    : Error(kind, DatabaseErrorText(nativeError, description)),
      m_nativeError(nativeError),
      m_sqlState(std::move(sqlState)),
      m_description(std::move(description)) {}

std::string DatabaseError::CommonText() const { return DatabaseErrorText(m_nativeError, m_description); }

}  // namespace tessarine
