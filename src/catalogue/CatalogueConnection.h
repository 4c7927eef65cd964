#pragma once
// The catalogue's database connection: opened by an operation at its start and closed at its end
// (the verify browser keeps one of its own open while the user pages). Every statement is sent
// as a request for a result set; statements without rows simply give none. A statement (or an
// open) that the database does not answer within the query time-out ends with the NoAnswerError;
// the connection is then closed and every later statement gets the same error until the next open.

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "catalogue/CatalogueLock.h"
#include "catalogue/ConnectString.h"
#include "catalogue/ResultSet.h"
#include "catalogue/StatementSink.h"
#include "core/Settings.h"
#include "core/TableName.h"

namespace tessarine {

class OdbcConnection;
class OdbcStatement;

class CatalogueConnection final : public StatementSink {
 public:
  static constexpr unsigned long kQueryTimeoutSeconds = 600;

  // Tests wait a few seconds for a server they have stopped, not ten minutes.
  explicit CatalogueConnection(unsigned long queryTimeoutSeconds = kQueryTimeoutSeconds);
  ~CatalogueConnection() override;
  CatalogueConnection(const CatalogueConnection&) = delete;
  CatalogueConnection& operator=(const CatalogueConnection&) = delete;

  // Replaces any earlier connection by a new one opened without prompting. Throws an Error of kind
  // NoDataSource when no DSN is named, a DatabaseError of kind Connection when it cannot be opened,
  // or when a value of the source holds what its driver would read as further entries (nothing is
  // then handed to the driver manager).
  void OpenConnection(const DataSource& source);

  // Sends one statement; returns its rows, or nullptr when it has none. Throws DatabaseError.
  std::unique_ptr<ResultSet> ExecuteStatement(const SqlStatement& statement,
                                              CursorChoice cursor = CursorChoice::Scrollable);
  // The first field of the first row of a query; nothing when it gives no row or SQL NULL.
  std::optional<std::string> FirstValue(const SqlStatement& query);
  // ExecuteStatement with the rows dropped.
  void Send(const SqlStatement& statement) override;
  // Send through a statement prepared once for the text: a text sent again and again (the rows of
  // a folder) is read by the server once. Prepared statements stay until ForgetPrepared or the
  // connection closes.
  void SendPrepared(const SqlStatement& statement);
  void ForgetPrepared() noexcept;
  // The number of rows the last statement sent through Send or SendPrepared changed (-1 when the
  // driver cannot tell).
  long long ChangedRows() const { return m_changedRows; }

  // The server's own name for its kind (ODBC's SQL_DBMS_NAME: "SQLite", "PostgreSQL", "MariaDB",
  // ...), read when the connection opened.
  const std::string& DbmsName() const { return m_dbmsName; }
  // False once the driver says the connection is gone (or when it is not open).
  bool IsAlive() const;

  // Takes the lock that lets one scan or check at a time change the request's folders of the
  // images table's catalogue; kept until the connection closes. Returns who holds it when someone
  // else does. Locks of silent holders taken over on the way are in LockTakeovers. Throws.
  std::optional<std::string> TakeCatalogueLock(const LockRequest& request);
  // The whole catalogue.
  std::optional<std::string> TakeCatalogueLock(const std::string& imagesTable);
  const std::vector<std::string>& LockTakeovers() const { return m_lockTakeovers; }
  // True once the lock this connection holds was taken over by another operation.
  bool LockLost() const;

  // The shared result set that callers read rows from; replaced by KeepResult, released on close.
  void KeepResult(std::unique_ptr<ResultSet> result);
  ResultSet* Result() const { return m_result.get(); }

  // Releases the shared result set and the connection; errors are ignored.
  void CloseConnection() noexcept;

  bool IsOpen() const { return m_connection != nullptr; }
  // The text of the statement being sent, kept for the callers' error reports.
  const std::string& StatementText() const { return m_statementText; }
  // The connect string built by the last OpenConnection, and the one the driver completed.
  const std::string& ConnectString() const { return m_connectString; }
  const std::string& CompletedConnectString() const { return m_completedConnectString; }

 private:
  // Throws the error that dropped the connection, or "not open".
  void RequireOpen();
  // Sends through the statement run() executes, then reads its row count.
  template <typename Run>
  void SendWith(const SqlStatement& sql, Run run);
  // Drops the connection when a call of it was given up; the error is given to later statements.
  void AbandonWhenUnanswered(const DatabaseError& error);

  unsigned long m_queryTimeoutSeconds;
  std::optional<DatabaseError> m_noAnswer;  // why the connection was dropped, until the next open
  std::shared_ptr<OdbcConnection> m_connection;
  DataSource m_source;  // the open connection's, for the lock's own connection
  std::unique_ptr<CatalogueLock> m_lock;
  std::vector<std::string> m_lockTakeovers;
  std::unique_ptr<ResultSet> m_result;
  std::vector<std::unique_ptr<OdbcStatement>> m_prepared;  // the latest last
  std::string m_statementText;
  std::string m_connectString;
  std::string m_completedConnectString;
  std::string m_dbmsName;
  long long m_changedRows = -1;
};

// Whether the server answers a query of the table (a failed query spoils a PostgreSQL transaction:
// ask outside one).
bool TableExists(CatalogueConnection& connection, const TableName& name);

// The data source of the settings with the given DSN kind.
DataSource DataSourceOf(const Settings& settings, bool fileDsnSelected);

}  // namespace tessarine
