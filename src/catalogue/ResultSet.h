#pragma once
// The rows of one statement, walked like a recordset: it opens on the first row; moves go to the
// first, next, previous and last row; past either end the start-of-rows or end-of-rows test is
// true (both for an empty result). A scrollable cursor is used where the driver gives one; on a
// forward-only cursor the rows already read are kept so that moving back still works.
// Moves past an end stay there; reading a field without a current row throws DatabaseError.

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "catalogue/OdbcStatement.h"

namespace tessarine {

class ResultSet {
 public:
  // Takes an executed statement that produced columns, and moves to the first row.
  explicit ResultSet(std::unique_ptr<OdbcStatement> statement);

  void MoveFirst();
  void MoveNext();
  void MovePrevious();
  void MoveLast();
  bool IsBof() const;
  bool IsEof() const;

  // The row count as the driver reports it (SQLite reports 0 after a SELECT).
  long long RecordCount() const { return m_recordCount; }
  std::size_t FieldCount() const { return m_names.size(); }
  const std::string& FieldName(std::size_t position) const;
  // The value of the current row's field, std::nullopt for SQL NULL.
  const std::optional<std::string>& FieldValue(std::size_t position) const;
  bool IsNull(std::size_t position) const { return !FieldValue(position).has_value(); }
  bool IsScrollable() const { return m_scrollable; }

  void Close() noexcept;
  bool IsOpen() const { return m_statement != nullptr; }

 private:
  using Row = std::vector<std::optional<std::string>>;

  void RequireOpen() const;
  Row ReadRow();
  // Scrollable cursor: one fetch, the new position follows from its outcome.
  void Scroll(SQLSMALLINT orientation);
  // Forward-only cursor: reads one more row into m_rows; false at the end.
  bool ReadAhead();
  const Row& CurrentRow() const;

  std::unique_ptr<OdbcStatement> m_statement;
  bool m_scrollable = false;
  long long m_recordCount = 0;
  std::vector<std::string> m_names;

  enum class Place { BeforeFirst, OnRow, AfterLast };
  Place m_place = Place::BeforeFirst;
  bool m_empty = false;

  Row m_current;              // scrollable cursor: the current row
  std::vector<Row> m_rows;    // forward-only cursor: every row read so far
  std::size_t m_index = 0;    // forward-only cursor: the current row in m_rows
  bool m_exhausted = false;   // forward-only cursor: the driver has no more rows
};

}  // namespace tessarine
