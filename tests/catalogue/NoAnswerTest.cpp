// A database server that stops answering (stopped with SIGSTOP: its kernel still accepts the
// connection and acknowledges what is sent) ends the statement, or the open, with the time-out
// error instead of waiting for as long as it is stopped. Servers only: SQLite lives in-process.
// A regression waits forever; the test harness's time-out catches it.

#include <gtest/gtest.h>

#include "catalogue/CatalogueConnection.h"
#include "catalogue/OdbcCallThread.h"
#include "support/DatabaseFixture.h"
#include "support/StoppedServer.h"

namespace tessarine::test {
namespace {

constexpr unsigned long kTimeoutSeconds = 3;
const std::string kNoAnswer = "The database did not answer within 3 seconds";

class NoAnswerOn : public DatabaseFixture {
 protected:
  // The error a call gave, or a description of its success.
  template <typename Call>
  static std::string ErrorOf(Call call, ErrorKind expectedKind, std::string* sqlState = nullptr) {
    try {
      call();
      return "(no error)";
    } catch (const DatabaseError& error) {
      EXPECT_EQ(error.Kind(), expectedKind) << error.what();
      if (sqlState != nullptr) *sqlState = error.SqlState();
      return error.Description();
    }
  }
};
INSTANTIATE_TEST_SUITE_P(Db, NoAnswerOn, ::testing::Values("PostgreSQL", "MariaDB"),
                         [](const auto& p) { return p.param; });

TEST_P(NoAnswerOn, AStatementOrAnOpenTheServerDoesNotAnswerEndsWithTheTimeOutError) {
  CatalogueConnection waiting(kTimeoutSeconds);
  ASSERT_NO_THROW(waiting.OpenConnection(Db().userDsn));
  const std::string t = Table("NoAnswer");
  waiting.SendStatement("create table " + t + " (Id integer);");
  waiting.SendStatement("insert into " + t + " (Id) values (1);");
  waiting.SendStatement("insert into " + t + " (Id) values (2);");
  // Rows read before the server stopped, still held when it does.
  auto held = waiting.ExecuteStatement("select Id from " + t + " order by Id;", CursorChoice::ForwardOnly);
  ASSERT_NE(held, nullptr);
  EXPECT_EQ(held->FieldValue(0), "1");
  {
    StoppedServer stopped(GetParam());
    ASSERT_EQ(stopped.Why(), "");
    std::string state;
    EXPECT_EQ(ErrorOf([&] { waiting.SendStatement("insert into " + t + " (Id) values (3);"); }, ErrorKind::Database,
                      &state),
              kNoAnswer);
    EXPECT_EQ(state, "HYT00");
    EXPECT_FALSE(waiting.IsOpen());
    // Nothing waits on the connection any more: the driver manager would hold any call on it
    // behind the one still running.
    EXPECT_EQ(ErrorOf([&] { waiting.SendStatement("select 1;"); }, ErrorKind::Database), kNoAnswer);
    EXPECT_EQ(ErrorOf([&] { held->MoveNext(); }, ErrorKind::Database), kNoAnswer);
    held.reset();
    // A new connection is not answered either.
    CatalogueConnection opening(kTimeoutSeconds);
    EXPECT_EQ(ErrorOf([&] { opening.OpenConnection(Db().userDsn); }, ErrorKind::Connection, &state), kNoAnswer);
    EXPECT_EQ(state, "HYT00");
    EXPECT_FALSE(opening.IsOpen());
  }
  // Once the server answers again, the calls given up return and their connections are freed (the
  // process must not end before: see CallsGivenUpStillRunning), and a new connection works.
  WaitForCallsGivenUp();
  EXPECT_EQ(CallsGivenUpStillRunning(), 0u);
  ASSERT_NO_THROW(waiting.OpenConnection(Db().userDsn));
  auto rows = waiting.ExecuteStatement("select count(*) from " + t + " where Id = 1;");
  ASSERT_NE(rows, nullptr);
  EXPECT_EQ(rows->FieldValue(0), "1");
}

}  // namespace
}  // namespace tessarine::test
