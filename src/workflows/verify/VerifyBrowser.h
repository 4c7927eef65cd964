#pragma once
// The verify browser: runs one query on a connection of its own, keeps its rows open and shows one
// row at a time as name=value lines. Moves are bounded by the row count, not by the data. No other
// operation of the window uses this connection, so a scan or a check never pulls the rows away.

#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "catalogue/CatalogueConnection.h"
#include "core/Error.h"
#include "core/UserPort.h"

namespace tessarine {

enum class DisplayFields { NonEmptyOnly, All };

// What ShowVerifyRow writes: the text of txtVerifyResult, and the new caption of lblVerifyResult
// when the row count is above 0 (nothing keeps the previous caption).
struct VerifyView {
  std::string text;
  std::optional<std::string> label;
};

enum class VerifyMove { First, Previous, Next, Last };

class VerifyBrowser {
 public:
  explicit VerifyBrowser(UserPort& port);

  // cmdVerifyQuery_Click: opens the browser's connection, runs the query text unchanged and shows
  // row 1. The error when the connection could not be opened (already reported), when the query
  // failed ("Error <n>: <text>" in the status line and a beep) or when counting the rows failed.
  Expected<VerifyView> RunQuery(const DataSource& source, std::string_view query, DisplayFields fields);

  // A move button; nothing when there is no result or the move is refused by its bound.
  std::optional<VerifyView> Move(VerifyMove move, DisplayFields fields);

  // ShowVerifyRow for the current row.
  VerifyView ShowVerifyRow(DisplayFields fields) const;

  bool HasResult() const { return m_result != nullptr; }
  long long RowCount() const { return m_rowCount; }
  long long CurrentRow() const { return m_currentRow; }

 private:
  void ReportQueryError(long number, std::string_view description);

  UserPort& m_port;
  CatalogueConnection m_connection;
  std::unique_ptr<ResultSet> m_result;
  long long m_rowCount = 0;
  long long m_currentRow = 0;
};

// "Error " + number + ": " + description: the browser's own word for a failed query.
std::string VerifyErrorText(long number, std::string_view description);

}  // namespace tessarine
