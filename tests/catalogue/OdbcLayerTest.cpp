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

// A missing file data source is reported and leaves no file behind; one named without its
// extension is found (the driver manager adds ".dsn").
TEST_F(OdbcLayer, FileDataSourcesAreFoundWithOrWithoutTheirExtensionAndNeverMade) {
  const auto path = folder / "absent.dsn";
  EXPECT_EQ(OpenError(DataSource{path.string(), true, "u", "p"}), "Error 0: File data source not found: " + path.string());
  EXPECT_FALSE(std::filesystem::exists(path));
  EXPECT_FALSE(std::filesystem::exists(folder / "absent"));
  auto source = db.fileDsn;
  source.dsn = (folder / "catalogue").string();
  EXPECT_EQ(OpenError(source), "");
}

// A warning is success; an error without diagnostics, or a failed allocation, still names what
// failed.
TEST_F(OdbcLayer, WarningsAreSuccessAndErrorsWithoutDiagnosticsAreReported) {
  ASSERT_EQ(OpenError(db.fileDsn), "");
  SetOdbcCallHook([](const char* call, SQLRETURN result) -> SQLRETURN {
    return std::string_view(call) == "SQLExecDirect" && result == SQL_SUCCESS ? SQL_SUCCESS_WITH_INFO : result;
  });
  EXPECT_EQ(connection.FirstValue("select 1;"), "1");

  SetOdbcCallHook([](const char* call, SQLRETURN result) -> SQLRETURN {
    return std::string_view(call) == "SQLExecDirect" ? SQL_ERROR : result;
  });
  try {
    connection.SendStatement("select 1;");
    ADD_FAILURE() << "no error";
  } catch (const DatabaseError& error) {
    EXPECT_EQ(error.NativeError(), 0);
    EXPECT_NE(error.Description().find("SQLExecDirect"), std::string::npos) << error.Description();
  }

  SetOdbcCallHook([](const char* call, SQLRETURN result) -> SQLRETURN {
    return std::string_view(call) == "SQLAllocHandle" ? SQL_ERROR : result;
  });
  const std::string refused = OpenError(db.fileDsn);
  EXPECT_TRUE(refused.starts_with("Error 0: ")) << refused;
}

TEST_F(OdbcLayer, LongValuesAreReadInPiecesWhole) {
  ASSERT_EQ(OpenError(db.fileDsn), "");
  connection.SendStatement("create table Long (Value text);");
  std::string value;
  for (int i = 0; value.size() < 100000; ++i) value += std::to_string(i) + "é,";
  connection.SendStatement("insert into Long (Value) values ('" + value + "');");
  EXPECT_EQ(connection.FirstValue("select Value from Long;"), value);
}

}  // namespace
}  // namespace tessarine::test
