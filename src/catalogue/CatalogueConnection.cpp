#include "catalogue/CatalogueConnection.h"

#include <algorithm>
#include <filesystem>
#include <system_error>
#include <vector>

#include <odbcinst.h>

#include "catalogue/CatalogueLock.h"
#include "catalogue/CatalogueStatements.h"
#include "catalogue/DataSourceDriver.h"
#include "catalogue/OdbcConnection.h"

namespace tessarine {
namespace {

// The driver manager reads a file data source by the path as given, adding ".dsn" when the name
// lacks it, and looks for a bare name in its file data source folder.
bool FileDataSourceExists(const std::string& dsn) {
  std::error_code ec;
  std::vector<std::filesystem::path> candidates;
  std::filesystem::path path(dsn);
  candidates.push_back(path);
  if (path.extension() != ".dsn") candidates.emplace_back(dsn + ".dsn");
  if (dsn.find('/') == std::string::npos) {
    char folder[1024] = {};
    SQLGetPrivateProfileString("ODBC", "FILEDSNPATH", "/etc/ODBCDataSources", folder, sizeof folder, "odbcinst.ini");
    const std::filesystem::path base(folder);
    for (std::size_t i = 0, n = candidates.size(); i < n; ++i) candidates.push_back(base / candidates[i]);
  }
  for (const auto& candidate : candidates) {
    if (std::filesystem::is_regular_file(candidate, ec)) return true;
  }
  return false;
}

}  // namespace

DataSource DataSourceOf(const Settings& settings, bool fileDsnSelected) {
  return DataSource{settings.dsn, fileDsnSelected, settings.login, settings.password};
}

CatalogueConnection::CatalogueConnection(unsigned long queryTimeoutSeconds) : m_queryTimeoutSeconds(queryTimeoutSeconds) {}

CatalogueConnection::~CatalogueConnection() { CloseConnection(); }

void CatalogueConnection::OpenConnection(const DataSource& source) {
  if (source.dsn.empty()) throw Error(ErrorKind::NoDataSource, "DSN not defined");
  const BracedValues braced = BracedValuesOf(source);
  m_connectString = tessarine::ConnectString(source, braced);
  // A new open replaces the connection kept before.
  CloseConnection();
  m_noAnswer.reset();
  m_completedConnectString.clear();
  // The driver manager leaves an empty file behind when a file data source is missing.
  if (source.fileDsn && !FileDataSourceExists(source.dsn)) {
    throw DatabaseError(0, "IM002", "File data source not found: " + source.dsn, ErrorKind::Connection);
  }
  // A value the driver would split is never handed to it.
  if (const std::string_view key = UnsafeConnectValue(source, braced); !key.empty()) {
    throw DatabaseError(0, "08001", UnsafeValueText(source, key), ErrorKind::Connection);
  }
  auto connection = std::make_shared<OdbcConnection>();
  try {
    m_completedConnectString = connection->Connect(DriverConnectString(m_connectString), m_queryTimeoutSeconds);
  } catch (const DatabaseError& error) {
    throw DatabaseError(error.NativeError(), error.SqlState(), error.Description(), ErrorKind::Connection);
  }
  m_dbmsName = connection->DbmsName();
  m_connection = std::move(connection);
  m_source = source;
  // SQLite keeps foreign keys only when each connection asks it to: the words table's rows go with
  // their images rows only then.
  if (m_dbmsName.find("SQLite") != std::string::npos) SendStatement("pragma foreign_keys = on;");
}

bool TableExists(CatalogueConnection& connection, const TableName& name) {
  try {
    connection.ExecuteStatement(TableExistsQuery(name), CursorChoice::ForwardOnly);
    return true;
  } catch (const DatabaseError&) {
    return false;
  }
}

std::unique_ptr<ResultSet> CatalogueConnection::ExecuteStatement(const SqlStatement& sql, CursorChoice cursor) {
  m_statementText = sql.text;
  RequireOpen();
  try {
    auto statement = std::make_unique<OdbcStatement>(m_connection, cursor, m_queryTimeoutSeconds);
    if (!statement->Execute(sql.text, sql.values)) return nullptr;
    return std::make_unique<ResultSet>(std::move(statement));
  } catch (const DatabaseError& error) {
    AbandonWhenUnanswered(error);
    throw;
  }
}

std::optional<std::string> CatalogueConnection::FirstValue(const SqlStatement& query) {
  const auto rows = ExecuteStatement(query, CursorChoice::ForwardOnly);
  if (!rows || rows->IsEof() || rows->FieldCount() == 0) return std::nullopt;
  return rows->FieldValue(0);
}

void CatalogueConnection::Send(const SqlStatement& sql) {
  std::unique_ptr<OdbcStatement> statement;
  SendWith(sql, [&]() -> OdbcStatement& {
    statement = std::make_unique<OdbcStatement>(m_connection, CursorChoice::ForwardOnly, m_queryTimeoutSeconds);
    statement->Execute(sql.text, sql.values);
    return *statement;
  });
}

void CatalogueConnection::SendPrepared(const SqlStatement& sql) {
  // The texts a scan sends again and again: a row's insert and update, the delete and insert of its
  // words, facts and keywords, and their statements of several rows (a few numbers of rows each).
  // The one used longest ago gives way.
  constexpr std::size_t kPreparedTexts = 32;
  SendWith(sql, [&]() -> OdbcStatement& {
    auto found = std::find_if(m_prepared.begin(), m_prepared.end(),
                              [&](const auto& statement) { return statement->PreparedText() == sql.text; });
    if (found == m_prepared.end()) {
      auto statement = std::make_unique<OdbcStatement>(m_connection, CursorChoice::ForwardOnly, m_queryTimeoutSeconds);
      statement->Prepare(sql.text);
      if (m_prepared.size() == kPreparedTexts) m_prepared.erase(m_prepared.begin());
      m_prepared.push_back(std::move(statement));
    } else {
      std::rotate(found, std::next(found), m_prepared.end());
    }
    OdbcStatement& statement = *m_prepared.back();
    statement.ExecutePrepared(sql.values);
    return statement;
  });
}

template <typename Run>
void CatalogueConnection::SendWith(const SqlStatement& sql, Run run) {
  m_statementText = sql.text;
  m_changedRows = -1;
  RequireOpen();
  try {
    OdbcStatement& statement = run();
    try {
      m_changedRows = statement.RowCount();
    } catch (const DatabaseError&) {
      m_changedRows = -1;  // a statement without a row count
    }
  } catch (const DatabaseError& error) {
    AbandonWhenUnanswered(error);
    throw;
  }
}

void CatalogueConnection::ForgetPrepared() noexcept { m_prepared.clear(); }

void CatalogueConnection::RequireOpen() {
  // A result set read after a call was given up finds it first: no new statement may be allocated.
  if (m_connection && !m_connection->Answers()) AbandonWhenUnanswered(NoAnswerError(m_queryTimeoutSeconds));
  if (m_noAnswer) throw *m_noAnswer;
  if (!m_connection) throw DatabaseError(0, "08003", "The database connection is not open");
}

void CatalogueConnection::AbandonWhenUnanswered(const DatabaseError& error) {
  if (!m_connection || m_connection->Answers()) return;
  m_noAnswer = error;
  CloseConnection();
}

bool CatalogueConnection::IsAlive() const { return m_connection && m_connection->IsAlive(); }

void CatalogueConnection::KeepResult(std::unique_ptr<ResultSet> result) { m_result = std::move(result); }

std::optional<std::string> CatalogueConnection::TakeCatalogueLock(const LockRequest& request) {
  if (m_lock) return std::nullopt;
  RequireOpen();
  m_lockTakeovers.clear();
  return CatalogueLock::Take(*this, m_source, request, m_lock, m_lockTakeovers);
}

std::optional<std::string> CatalogueConnection::TakeCatalogueLock(const std::string& imagesTable) {
  return TakeCatalogueLock(LockRequest{imagesTable, {}, kDefaultStaleLockSeconds});
}

bool CatalogueConnection::LockLost() const { return m_lock && m_lock->Lost(); }

void CatalogueConnection::CloseConnection() noexcept {
  m_result.reset();
  m_prepared.clear();
  // Taken out first: a release the server does not answer closes the connection from within.
  if (const std::unique_ptr<CatalogueLock> lock = std::move(m_lock); lock && m_connection && m_connection->Answers()) {
    lock->Release(*this);
  }
  // A result set a caller still holds keeps the connection until it goes.
  m_connection.reset();
  m_dbmsName.clear();
}

}  // namespace tessarine
