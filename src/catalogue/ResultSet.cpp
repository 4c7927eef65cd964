#include "catalogue/ResultSet.h"

#include "core/DatabaseError.h"

namespace tessarine {

ResultSet::ResultSet(std::unique_ptr<OdbcStatement> statement) : m_statement(std::move(statement)) {
  m_scrollable = m_statement->IsScrollable();
  m_recordCount = m_statement->RowCount();
  m_names.reserve(m_statement->ColumnCount());
  for (std::size_t i = 0; i < m_statement->ColumnCount(); ++i) m_names.push_back(m_statement->ColumnName(i));
  MoveFirst();
}

void ResultSet::RequireOpen() const {
  if (!m_statement) throw DatabaseError(0, "HY010", "The result set is closed");
}

ResultSet::Row ResultSet::ReadRow() {
  Row row;
  row.reserve(m_names.size());
  for (std::size_t i = 0; i < m_names.size(); ++i) row.push_back(m_statement->ReadText(i));
  return row;
}

void ResultSet::Scroll(SQLSMALLINT orientation) {
  if (m_statement->Fetch(orientation)) {
    m_current = ReadRow();
    m_place = Place::OnRow;
    return;
  }
  m_current.clear();
  const bool forward = orientation == SQL_FETCH_NEXT || orientation == SQL_FETCH_LAST;
  m_place = forward ? Place::AfterLast : Place::BeforeFirst;
  if (orientation == SQL_FETCH_FIRST || orientation == SQL_FETCH_LAST) m_empty = true;
}

bool ResultSet::ReadAhead() {
  if (m_exhausted) return false;
  if (!m_statement->Fetch()) {
    m_exhausted = true;
    return false;
  }
  m_rows.push_back(ReadRow());
  return true;
}

void ResultSet::MoveFirst() {
  RequireOpen();
  if (m_scrollable) return Scroll(SQL_FETCH_FIRST);
  if (m_rows.empty() && !ReadAhead()) {
    m_empty = true;
    m_place = Place::AfterLast;
    return;
  }
  m_index = 0;
  m_place = Place::OnRow;
}

void ResultSet::MoveNext() {
  RequireOpen();
  if (m_empty || m_place == Place::AfterLast) return;
  if (m_scrollable) return Scroll(SQL_FETCH_NEXT);
  const std::size_t next = m_place == Place::BeforeFirst ? 0 : m_index + 1;
  if (next < m_rows.size() || ReadAhead()) {
    m_index = next;
    m_place = Place::OnRow;
  } else {
    m_place = Place::AfterLast;
  }
}

void ResultSet::MovePrevious() {
  RequireOpen();
  if (m_empty || m_place == Place::BeforeFirst) return;
  if (m_scrollable) return Scroll(SQL_FETCH_PRIOR);
  if (m_place == Place::AfterLast) {
    m_index = m_rows.size() - 1;  // not empty, so at least one row was read
    m_place = Place::OnRow;
  } else if (m_index == 0) {
    m_place = Place::BeforeFirst;
  } else {
    --m_index;
  }
}

void ResultSet::MoveLast() {
  RequireOpen();
  if (m_empty) return;
  if (m_scrollable) return Scroll(SQL_FETCH_LAST);
  while (ReadAhead()) {
  }
  m_index = m_rows.size() - 1;
  m_place = Place::OnRow;
}

bool ResultSet::IsBof() const { return m_empty || m_place == Place::BeforeFirst; }
bool ResultSet::IsEof() const { return m_empty || m_place == Place::AfterLast; }

const std::string& ResultSet::FieldName(std::size_t position) const {
  if (position >= m_names.size()) throw DatabaseError(0, "07009", "There is no field at this position");
  return m_names[position];
}

const ResultSet::Row& ResultSet::CurrentRow() const {
  RequireOpen();
  if (m_place != Place::OnRow || m_empty) throw DatabaseError(0, "24000", "There is no current row");
  return m_scrollable ? m_current : m_rows[m_index];
}

const std::optional<std::string>& ResultSet::FieldValue(std::size_t position) const {
  const Row& row = CurrentRow();
  if (position >= row.size()) throw DatabaseError(0, "07009", "There is no field at this position");
  return row[position];
}

void ResultSet::Close() noexcept {
  if (m_statement) m_statement->Close();
  m_statement.reset();
  m_current.clear();
  m_rows.clear();
}

}  // namespace tessarine
