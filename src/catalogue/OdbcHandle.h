#pragma once
// A move-only owner of one ODBC handle and the one path every ODBC call takes: a call's return
// code is checked here, and an error is built here from the handle's diagnostic records.

#include <sql.h>
#include <sqlext.h>

#include <utility>

#include "core/DatabaseError.h"

namespace tessarine {

class OdbcHandle {
 public:
  OdbcHandle() = default;
  // Allocates a handle of the given type under parent (SQL_NULL_HANDLE for an environment).
  OdbcHandle(SQLSMALLINT type, SQLHANDLE parent);
  ~OdbcHandle();
  OdbcHandle(OdbcHandle&& other) noexcept;
  OdbcHandle& operator=(OdbcHandle&& other) noexcept;
  OdbcHandle(const OdbcHandle&) = delete;
  OdbcHandle& operator=(const OdbcHandle&) = delete;

  SQLHANDLE Get() const { return m_handle; }
  SQLSMALLINT Type() const { return m_type; }
  explicit operator bool() const { return m_handle != SQL_NULL_HANDLE; }

  // Passes SQL_SUCCESS, SQL_SUCCESS_WITH_INFO (a warning is success) and SQL_NO_DATA back to the
  // caller; anything else throws the error described by the handle's diagnostics.
  SQLRETURN Check(const char* call, SQLRETURN result) const;

  // The handle's first diagnostic record as an error; call names the failed function when the
  // driver left no record.
  DatabaseError Diagnostics(const char* call) const;

  // Frees the handle now; errors are ignored.
  void Reset() noexcept;
  // Gives the handle up without freeing it; the caller frees it.
  SQLHANDLE Release() noexcept { return std::exchange(m_handle, nullptr); }

 private:
  SQLSMALLINT m_type = 0;
  SQLHANDLE m_handle = SQL_NULL_HANDLE;
};

// A seam for tests: when set, every checked call's return code passes through the hook first,
// so a test can turn a success into a warning or an error on demand.
using OdbcCallHook = SQLRETURN (*)(const char* call, SQLRETURN result);
void SetOdbcCallHook(OdbcCallHook hook);

}  // namespace tessarine
