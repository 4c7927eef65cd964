#include "catalogue/OdbcHandle.h"

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

namespace tessarine {
namespace {

OdbcCallHook g_callHook = nullptr;

std::string TrimTrailingNewlines(std::string text) {
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
  return text;
}

}  // namespace

void SetOdbcCallHook(OdbcCallHook hook) { g_callHook = hook; }

OdbcHandle::OdbcHandle(SQLSMALLINT type, SQLHANDLE parent) : m_type(type) {
  SQLHANDLE handle = SQL_NULL_HANDLE;
  SQLRETURN result = SQLAllocHandle(type, parent, &handle);
  if (g_callHook != nullptr) result = g_callHook("SQLAllocHandle", result);
  if (!SQL_SUCCEEDED(result) || handle == SQL_NULL_HANDLE) {
    if (handle != SQL_NULL_HANDLE) SQLFreeHandle(type, handle);
    if (type == SQL_HANDLE_ENV || parent == SQL_NULL_HANDLE) {
      throw DatabaseError(0, "HY001", "The ODBC driver manager could not allocate an environment");
    }
    // The parent holds the reason.
    OdbcHandle parentView;
    parentView.m_type = type == SQL_HANDLE_DBC ? SQL_HANDLE_ENV : SQL_HANDLE_DBC;
    parentView.m_handle = parent;
    DatabaseError error = parentView.Diagnostics("SQLAllocHandle");
    parentView.m_handle = SQL_NULL_HANDLE;  // not ours to free
    throw error;
  }
  m_handle = handle;
}

OdbcHandle::~OdbcHandle() { Reset(); }

OdbcHandle::OdbcHandle(OdbcHandle&& other) noexcept
    : m_type(other.m_type), m_handle(std::exchange(other.m_handle, nullptr)) {}

OdbcHandle& OdbcHandle::operator=(OdbcHandle&& other) noexcept {
  if (this != &other) {
    Reset();
    m_type = other.m_type;
    m_handle = std::exchange(other.m_handle, nullptr);
  }
  return *this;
}

void OdbcHandle::Reset() noexcept {
  if (m_handle != SQL_NULL_HANDLE) {
    SQLFreeHandle(m_type, m_handle);
    m_handle = SQL_NULL_HANDLE;
  }
}

SQLRETURN OdbcHandle::Check(const char* call, SQLRETURN result) const {
  if (g_callHook != nullptr) result = g_callHook(call, result);
  if (result == SQL_SUCCESS || result == SQL_SUCCESS_WITH_INFO || result == SQL_NO_DATA) return result;
  if (result == SQL_INVALID_HANDLE) {
    throw DatabaseError(0, "HY000", std::string(call) + " was given an invalid handle");
  }
  throw Diagnostics(call);
}

DatabaseError OdbcHandle::Diagnostics(const char* call) const {
  if (m_handle != SQL_NULL_HANDLE) {
    for (SQLSMALLINT record = 1; record <= 8; ++record) {
      SQLCHAR state[SQL_SQLSTATE_SIZE + 1] = {};
      SQLINTEGER native = 0;
      SQLSMALLINT length = 0;
      std::vector<SQLCHAR> message(1024);
      SQLRETURN result = SQLGetDiagRec(m_type, m_handle, record, state, &native, message.data(),
                                       static_cast<SQLSMALLINT>(message.size()), &length);
      if (result == SQL_SUCCESS_WITH_INFO && length >= static_cast<SQLSMALLINT>(message.size())) {
        // The message was cut: ask again with room for all of it.
        message.resize(static_cast<std::size_t>(length) + 1);
        result = SQLGetDiagRec(m_type, m_handle, record, state, &native, message.data(),
                               static_cast<SQLSMALLINT>(message.size()), &length);
      }
      if (!SQL_SUCCEEDED(result)) break;
      std::string text(reinterpret_cast<const char*>(message.data()),
                       std::min<std::size_t>(static_cast<std::size_t>(std::max<SQLSMALLINT>(length, 0)),
                                             message.size() - 1));
      text = TrimTrailingNewlines(text.c_str());  // a driver may count past an early terminator
      if (text.empty()) continue;
      return DatabaseError(native, reinterpret_cast<const char*>(state), text);
    }
  }
  return DatabaseError(0, "HY000", std::string(call) + " failed without a diagnostic message");
}

}  // namespace tessarine
