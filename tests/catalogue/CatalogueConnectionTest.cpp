// The connection, its statements and its error reports, on every real database; faults where the
// program meets the driver manager are provoked there too.

#include "catalogue/CatalogueConnection.h"

#include <filesystem>
#include <optional>

#include "catalogue/OdbcHandle.h"
#include "catalogue/ServerFailure.h"

#include "support/DatabaseFixture.h"

namespace tessarine::test {
namespace {

class CatalogueConnectionOn : public DatabaseFixture {
 protected:
  void TearDown() override {
    SetOdbcCallHook(nullptr);
    DatabaseFixture::TearDown();
  }
};
TESSARINE_ON_EVERY_DATABASE(CatalogueConnectionOn);

// A prepared text runs with one set of values after another, each counted; a set the server
// refuses carries the driver's diagnostics and leaves the statement usable for the next, and the
// rows hold exactly what was sent.
TEST_P(CatalogueConnectionOn, APreparedStatementRunsWithEachSetOfValues) {
  Open();
  const std::string t = Table("Prep");
  connection.SendStatement("create table " + t + " (Folder varchar(255) not null,FileName varchar(8) not null,"
                           "primary key(Folder,FileName));");
  // Where a refused statement spoils the transaction, each set runs under a savepoint.
  const bool savepoints = FailedStatementSpoilsTransaction(connection);
  if (savepoints) connection.SendStatement("begin;");
  const std::string insert = "insert into " + t + " (Folder,FileName) values (?,?);";
  int refused = 0;
  for (const char* name : {"a", "b", "it's", "b", "c"}) {
    if (savepoints) connection.SendStatement("savepoint p;");
    try {
      connection.SendPrepared(SqlStatement(insert).Bind("/p/").Bind(name));
      EXPECT_EQ(connection.ChangedRows(), 1) << name;
    } catch (const DatabaseError& error) {
      ++refused;
      EXPECT_EQ(std::string(name), "b") << error.what();  // only the second "b" is refused
      EXPECT_EQ(error.Kind(), ErrorKind::Database);
      // The servers' drivers say "integrity violation"; the SQLite driver only says HY000.
      if (Db().kind != DbmsKind::Sqlite) {
        EXPECT_EQ(error.SqlState().substr(0, 2), "23") << error.SqlState();
      }
      EXPECT_FALSE(error.Description().empty());
      EXPECT_EQ(error.CommonText(), "Error " + std::to_string(error.NativeError()) + ": " + error.Description());
      EXPECT_EQ(connection.StatementText(), insert);
      if (savepoints) connection.SendStatement("rollback to savepoint p;");
    }
  }
  EXPECT_EQ(refused, 1);
  connection.SendPrepared(SqlStatement("update " + t + " set FileName=? where FileName=?;").Bind("d").Bind("c"));
  EXPECT_EQ(connection.ChangedRows(), 1);
  connection.SendPrepared(SqlStatement("update " + t + " set FileName=? where FileName=?;").Bind("e").Bind("zz"));
  EXPECT_EQ(connection.ChangedRows(), 0);
  if (savepoints) connection.SendStatement("commit;");
  connection.ForgetPrepared();
  EXPECT_EQ(connection.FirstValue("select count(*) from " + t + ";"), "4");
  EXPECT_EQ(connection.FirstValue("select count(*) from " + t + " where FileName in ('a','b','it''s','d');"),
            "4");
}

// Texts that break naive quoting, bound as statement values, come back exactly as sent, each alone,
// all in one, and that many times over (read in several pieces); nothing but the inserts is executed.
// One prepared insert sends them all, its marks bound from run to run: a longer value, a NULL and a
// short one after them each come back as sent.
TEST_P(CatalogueConnectionOn, HostileTextsComeBackExactlyAsSent) {
  Open();
  const std::string t = Table("Hostile");
  const std::string sentinel = Table("Sentinel");
  connection.SendStatement("create table " + t + " (Id integer not null,Value text,primary key(Id));");
  connection.SendStatement("create table " + sentinel + " (Id integer);");
  connection.SendStatement("insert into " + sentinel + " (Id) values (1);");
  // Quotes, backslashes, comment and statement breaks, parameter marks, control characters (no NUL:
  // drivers cut texts there), and 2-, 3- and 4-byte UTF-8.
  std::vector<std::optional<std::string>> sent = {"", "'); drop table " + sentinel + "; --",
                                                  "\\'; delete from " + sentinel + "; --"};
  std::string all;
  for (const char* piece : {"'", "''", "\\", "\"", ";", "--", "/*", "*/", "%", "_", "!", "$$", "`", "?", ":name", "\t",
                            "\r\n", "\x01", "\x1b", "\x7f", " ", "é", "ß", "€", "中", "😀", "𝄞",
                            "\xF0\x9F\x8F\xB3\xEF\xB8\x8F", "\u200b", "\uFEFF"}) {
    sent.push_back(piece);
    all += piece;
  }
  sent.push_back(all);
  std::string many;
  for (int i = 0; i < 300; ++i) many += all;
  sent.insert(sent.end(), {many, std::nullopt, "a"});
  for (std::size_t id = 0; id < sent.size(); ++id) {
    SqlStatement insert =
        SqlStatement("insert into " + t + " (Id,Value) values (?,?);").BindInteger(std::to_string(id));
    connection.SendPrepared(sent[id] ? insert.Bind(*sent[id]) : insert.BindNull());
  }
  auto rows = connection.ExecuteStatement("select Id,Value from " + t + " order by Id;", CursorChoice::ForwardOnly);
  ASSERT_NE(rows, nullptr);
  std::size_t id = 0;
  for (; !rows->IsEof(); rows->MoveNext(), ++id) {
    ASSERT_LT(id, sent.size());
    EXPECT_EQ(rows->FieldValue(1), sent[id]) << "value " << id;
  }
  EXPECT_EQ(id, sent.size());
  EXPECT_EQ(connection.FirstValue("select count(*) from " + sentinel + ";"), "1");
}

// A missing file data source is reported and leaves no file behind; one named without its
// extension is found (the driver manager adds ".dsn").
TEST_P(CatalogueConnectionOn, FileDataSourcesAreFoundWithOrWithoutTheirExtensionAndNeverMade) {
  const auto path = m_folder / "absent.dsn";
  const std::optional<Error> absent = OpenError(DataSource{path.string(), true, "u", "p"});
  ASSERT_TRUE(absent);
  EXPECT_EQ(std::string(absent->what()), "Error 0: File data source not found: " + path.string());
  EXPECT_FALSE(std::filesystem::exists(path));
  EXPECT_FALSE(std::filesystem::exists(m_folder / "absent"));
  DataSource source = Db().fileDsn;
  source.dsn = std::filesystem::path(source.dsn).replace_extension().string();
  const std::optional<Error> found = OpenError(source);
  EXPECT_FALSE(found) << found->what();
}

// A warning is success; an error without diagnostics, or a failed allocation, still names what
// failed.
TEST_P(CatalogueConnectionOn, WarningsAreSuccessAndErrorsWithoutDiagnosticsAreReported) {
  Open();
  SetOdbcCallHook([](const char* call, SQLRETURN result) -> SQLRETURN {
    return std::string_view(call) == "SQLExecDirect" && result == SQL_SUCCESS ? SQL_SUCCESS_WITH_INFO : result;
  });
  EXPECT_EQ(connection.FirstValue(Dialect().TestQuery()), "1");
  SetOdbcCallHook([](const char* call, SQLRETURN result) -> SQLRETURN {
    return std::string_view(call) == "SQLExecDirect" ? SQL_ERROR : result;
  });
  try {
    connection.SendStatement(Dialect().TestQuery());
    ADD_FAILURE() << "no error";
  } catch (const DatabaseError& error) {
    EXPECT_EQ(error.NativeError(), 0);
    EXPECT_NE(error.Description().find("SQLExecDirect"), std::string::npos) << error.Description();
  }
  SetOdbcCallHook([](const char* call, SQLRETURN result) -> SQLRETURN {
    return std::string_view(call) == "SQLAllocHandle" ? SQL_ERROR : result;
  });
  const std::optional<Error> refused = OpenError(Db().fileDsn);
  ASSERT_TRUE(refused);
  EXPECT_TRUE(std::string(refused->what()).starts_with("Error 0: ")) << refused->what();
}

// One operation right after another (delete the lines, then the files) finds the catalogue free:
// the lock is given back when its connection closes, not when the server gets round to ending the
// session. Here the session outlives the close for sure: a result still held keeps it.
TEST_P(CatalogueConnectionOn, TheCatalogueLockIsFreeTheMomentItsConnectionClosesAndALinkAtItRefusesIt) {
  const std::string images = Table("Locked");
  Open();
  ASSERT_FALSE(connection.TakeCatalogueLock(images));
  const std::unique_ptr<ResultSet> held = connection.ExecuteStatement(Dialect().TestQuery());
  CatalogueConnection other;
  other.OpenConnection(Db().userDsn);
  EXPECT_TRUE(other.TakeCatalogueLock(images)) << "taken twice";
  other.CloseConnection();
  connection.CloseConnection();
  other.OpenConnection(Db().userDsn);
  EXPECT_FALSE(other.TakeCatalogueLock(images));
  other.CloseConnection();

  // The embedded catalogue's lock is a file beside it: a link planted there stops the operation
  // rather than letting it run unlocked. (The servers lock in the server.)
  if (GetParam() != std::string("SQLite")) return;
  Open();
  auto rows = connection.ExecuteStatement("pragma database_list;", CursorChoice::ForwardOnly);
  ASSERT_TRUE(rows && !rows->IsEof());
  const std::string lock = rows->FieldValue(2).value_or("") + ".tessarine-lock";
  rows.reset();
  std::filesystem::remove(lock);
  std::filesystem::create_symlink(m_folder / "elsewhere", lock);
  const std::optional<std::string> refused = connection.TakeCatalogueLock(Table("Locked"));
  std::filesystem::remove(lock);
  ASSERT_TRUE(refused);
  EXPECT_NE(refused->find("cannot be used"), std::string::npos) << *refused;
  EXPECT_FALSE(std::filesystem::exists(m_folder / "elsewhere"));
}

// What a refusal means for the work around it, from its SQLSTATE and native code, on a connection
// still alive (a lost one makes any refusal the connection's).
TEST_P(CatalogueConnectionOn, ARefusalsScopeFollowsItsStateAndNativeCode) {
  if (GetParam() != std::string("SQLite")) GTEST_SKIP() << "no server is asked: once is enough";
  Open();
  const struct {
    long native;
    const char* state;
    FailureScope scope;
  } cases[] = {
      {0, "08S01", FailureScope::Connection},   {0, "HYT00", FailureScope::Connection},
      {0, "HYT01", FailureScope::Connection},   {2006, "HY000", FailureScope::Connection},
      {2013, "HY000", FailureScope::Connection}, {2055, "HY000", FailureScope::Connection},
      {0, "40001", FailureScope::Transaction},  {0, "40P01", FailureScope::Transaction},
      {1213, "HY000", FailureScope::Transaction}, {1062, "23000", FailureScope::Statement},
      {0, "HY000", FailureScope::Statement},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ScopeOf(DatabaseError(c.native, c.state, "refused"), connection), c.scope) << c.native << " " << c.state;
  }
  connection.CloseConnection();
  EXPECT_EQ(ScopeOf(DatabaseError(1062, "23000", "refused"), connection), FailureScope::Connection);
}

// A statement matching no row succeeds; one holding a NUL is refused before it is sent; a reopen
// drops the kept result, while a result held past the close stays readable.
TEST_P(CatalogueConnectionOn, StatementsWithoutRowsNulsAndResultsAcrossAReopen) {
  Open();
  const std::string t = Table("NoRow");
  connection.SendStatement("create table " + t + " (Folder varchar(255) not null,Files varchar(255));");
  EXPECT_NO_THROW(connection.SendStatement("update " + t + " set Files='1' where Folder='none';"));
  EXPECT_EQ(connection.ExecuteStatement("delete from " + t + ";"), nullptr);
  EXPECT_THROW(connection.SendStatement("insert into " + t + " (Folder) values ('a" + std::string(1, '\0') + "b');"),
               DatabaseError);
  EXPECT_EQ(connection.FirstValue("select count(*) from " + t + ";"), "0");

  connection.KeepResult(connection.ExecuteStatement(Dialect().TestQuery()));
  ASSERT_NE(connection.Result(), nullptr);
  Open();
  EXPECT_EQ(connection.Result(), nullptr);
  auto rows = connection.ExecuteStatement(Dialect().TestQuery());
  connection.CloseConnection();
  EXPECT_FALSE(connection.IsOpen());
  EXPECT_THROW(connection.SendStatement(Dialect().TestQuery()), DatabaseError);
  connection.CloseConnection();  // closing twice is harmless
  ASSERT_NE(rows, nullptr);
  EXPECT_EQ(rows->FieldValue(0), "1");
  rows->MoveNext();
  EXPECT_TRUE(rows->IsEof());
}

TEST_P(CatalogueConnectionOn, WalksTheRowsBothWaysOnEitherCursorAndAnEmptyResultIsAtBothEnds) {
  Open();
  const std::string t = Table("Walk");
  const std::string empty = Table("Empty");
  connection.SendStatement("create table " + t + " (Id integer not null,Name varchar(20),primary key(Id));");
  connection.SendStatement("create table " + empty + " (Id integer);");
  for (int i = 1; i <= 5; ++i) {
    const std::string name = i == 3 ? "null" : "'n" + std::to_string(i) + "'";
    connection.SendStatement("insert into " + t + " (Id,Name) values (" + std::to_string(i) + "," + name + ");");
  }
  for (CursorChoice cursor : {CursorChoice::Scrollable, CursorChoice::ForwardOnly}) {
    SCOPED_TRACE(cursor == CursorChoice::Scrollable ? "scrollable" : "forward-only");
    auto rows = connection.ExecuteStatement("select Id,Name from " + t + " order by Id;", cursor);
    ASSERT_NE(rows, nullptr);
    const long long reported = rows->RecordCount();
    EXPECT_TRUE(reported == 0 || reported == 5) << reported;  // SQLite reports 0 after a select
    ASSERT_EQ(rows->FieldCount(), 2u);
    EXPECT_EQ(rows->FieldName(0) == "Id" || rows->FieldName(0) == "id", true) << rows->FieldName(0);
    EXPECT_FALSE(rows->IsBof());
    EXPECT_EQ(rows->FieldValue(0), "1");

    // Each move and the row it lands on ("bof" and "eof" past either end, where no field is read);
    // the name of row 3 is null.
    const std::pair<void (ResultSet::*)(), std::string> moves[] = {
        {&ResultSet::MovePrevious, "bof"}, {&ResultSet::MoveNext, "1"},     {&ResultSet::MoveNext, "2"},
        {&ResultSet::MoveNext, "3"},       {&ResultSet::MoveLast, "5"},     {&ResultSet::MoveNext, "eof"},
        {&ResultSet::MoveNext, "eof"},     {&ResultSet::MovePrevious, "5"}, {&ResultSet::MovePrevious, "4"},
        {&ResultSet::MoveFirst, "1"}};
    for (const auto& [move, id] : moves) {
      ((*rows).*move)();
      EXPECT_EQ(rows->IsBof(), id == "bof") << id;
      EXPECT_EQ(rows->IsEof(), id == "eof") << id;
      if (id == "bof" || id == "eof") {
        EXPECT_THROW(rows->FieldValue(0), DatabaseError) << id;
        continue;
      }
      EXPECT_EQ(rows->FieldValue(0), id);
      EXPECT_EQ(rows->FieldValue(1).value_or("null"), id == "3" ? "null" : "n" + id);
    }
    EXPECT_THROW(rows->FieldValue(2), DatabaseError);
    EXPECT_THROW(rows->FieldName(2), DatabaseError);

    int walked = 0;
    for (rows->MoveFirst(); !rows->IsEof(); rows->MoveNext()) ++walked;
    EXPECT_EQ(walked, 5);
    rows->Close();
    EXPECT_THROW(rows->MoveFirst(), DatabaseError);

    auto none = connection.ExecuteStatement("select Id from " + empty + ";", cursor);
    ASSERT_NE(none, nullptr);
    EXPECT_TRUE(none->IsBof() && none->IsEof());
    none->MoveLast();
    none->MovePrevious();
    EXPECT_TRUE(none->IsBof() && none->IsEof());
    EXPECT_THROW(none->FieldValue(0), DatabaseError);
  }
}

}  // namespace
}  // namespace tessarine::test
