// Faults where the program meets the driver manager, provoked on the embedded database.

#include <filesystem>

#include "catalogue/CatalogueConnection.h"
#include "catalogue/OdbcHandle.h"
#include "support/DatabaseFixture.h"

namespace tessarine::test {
namespace {

class OdbcLayer : public ::testing::Test {
 protected:
  void SetUp() override { db = FindTestDatabase("SQLite", folder); }
  void TearDown() override { SetOdbcCallHook(nullptr); }

  TempDir folder;
  TestDatabase db;
  CatalogueConnection connection;

  // Opens the source; the text of the error it threw, "" when it opened.
  std::string OpenError(const DataSource& source) {
    try {
      connection.OpenConnection(source);
      return {};
    } catch (const Error& error) {
      return error.what();
    }
  }
};

TEST_F(OdbcLayer, MissingFileDataSourceIsReportedAndLeavesNoFileBehind) {
  const auto path = folder / "absent.dsn";
  EXPECT_EQ(OpenError(DataSource{path.string(), true, "u", "p"}), "Error 0: File data source not found: " + path.string());
  EXPECT_FALSE(std::filesystem::exists(path));
  EXPECT_FALSE(std::filesystem::exists(folder / "absent"));
}

TEST_F(OdbcLayer, FileDataSourceNamedWithoutItsExtensionIsFound) {
  auto source = db.fileDsn;
  source.dsn = (folder / "catalogue").string();  // the driver manager adds ".dsn"
  EXPECT_EQ(OpenError(source), "");
}

SQLRETURN WarnOnExecute(const char* call, SQLRETURN result) {
  return std::string_view(call) == "SQLExecDirect" && result == SQL_SUCCESS ? SQL_SUCCESS_WITH_INFO : result;
}

TEST_F(OdbcLayer, AWarningIsSuccess) {
  ASSERT_EQ(OpenError(db.fileDsn), "");
  SetOdbcCallHook(WarnOnExecute);
  auto rows = connection.ExecuteStatement("select 1;");
  ASSERT_NE(rows, nullptr);
  EXPECT_EQ(rows->FieldValue(0), "1");
}

SQLRETURN FailOnExecute(const char* call, SQLRETURN result) {
  return std::string_view(call) == "SQLExecDirect" ? SQL_ERROR : result;
}

TEST_F(OdbcLayer, AnErrorWithoutDiagnosticsStillNamesWhatFailed) {
  ASSERT_EQ(OpenError(db.fileDsn), "");
  SetOdbcCallHook(FailOnExecute);
  try {
    connection.SendStatement("select 1;");
    ADD_FAILURE() << "no error";
  } catch (const DatabaseError& error) {
    EXPECT_EQ(error.NativeError(), 0);
    EXPECT_NE(error.Description().find("SQLExecDirect"), std::string::npos) << error.Description();
  }
}

SQLRETURN FailOnAllocation(const char* call, SQLRETURN result) {
  return std::string_view(call) == "SQLAllocHandle" ? SQL_ERROR : result;
}

TEST_F(OdbcLayer, AFailedAllocationIsReportedNotCrashed) {
  SetOdbcCallHook(FailOnAllocation);
  EXPECT_TRUE(OpenError(db.fileDsn).starts_with("Error 0: ")) << OpenError(db.fileDsn);
}

TEST_F(OdbcLayer, LongValuesAreReadInPiecesWhole) {
  ASSERT_EQ(OpenError(db.fileDsn), "");
  connection.SendStatement("create table Long (Value text);");
  std::string value;
  for (int i = 0; value.size() < 100000; ++i) value += std::to_string(i) + "é,";
  connection.SendStatement("insert into Long (Value) values ('" + value + "');");
  auto rows = connection.ExecuteStatement("select Value from Long;");
  ASSERT_NE(rows, nullptr);
  EXPECT_EQ(rows->FieldValue(0), value);
}

}  // namespace
}  // namespace tessarine::test
