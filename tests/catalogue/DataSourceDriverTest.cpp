// What a connect-string value can do on the real drivers: a value that one of them would split is
// refused before the driver manager sees it, and a password holding ";", "{", "}" and "=" works as
// a password wherever the driver reads it braced.

#include "catalogue/DataSourceDriver.h"

#include <filesystem>

#include "catalogue/CatalogueConnection.h"
#include "support/DatabaseFixture.h"

namespace tessarine::test {
namespace {

using DataSourceDriverOn = DatabaseFixture;
TESSARINE_ON_EVERY_DATABASE(DataSourceDriverOn);

// The driver of a user data source says which values it reads braced. The driver manager hands a
// file data source's values on without braces; an unknown source has no driver to trust.
TEST_P(DataSourceDriverOn, KnowsTheValuesTheDriverOfAUserDataSourceReadsBraced) {
  const auto flags = [](const BracedValues& b) { return std::vector<bool>{b.dsn, b.login, b.password}; };
  const std::vector<bool> none = {false, false, false};
  const std::vector<bool> expected = Db().kind == DbmsKind::Sqlite ? none
                                     : Db().name == "PostgreSQL"   ? std::vector<bool>{false, false, true}
                                                                   : std::vector<bool>{true, true, true};
  EXPECT_EQ(flags(BracedValuesOf(Db().userDsn)), expected) << DataSourceDriverLibrary(Db().userDsn.dsn);
  EXPECT_EQ(flags(BracedValuesOf(Db().fileDsn)), none);
  EXPECT_EQ(flags(BracedValuesOf({"TessarineNoSuchSource", false, "", ""})), none);
}

// The values that made a driver open another SQLite file: refused, with the reason, before anything
// reaches the driver manager; the file does not exist afterwards. On the servers the same values
// name another database.
TEST_P(DataSourceDriverOn, AValueTheDriverWouldSplitIsRefusedAndOpensNothing) {
  const std::filesystem::path other = m_folder / "other.sqlite";
  for (const std::string& value : {"x;Database=" + other.string(), "{x;Database=" + other.string() + "}"}) {
    for (const DataSource& base : {Db().userDsn, Db().fileDsn}) {
      const BracedValues braced = BracedValuesOf(base);
      for (const bool password : {true, false}) {
        DataSource source = base;
        (password ? source.password : source.login) = value;
        // Where the driver reads the value braced, it is one (wrong) value the server refuses.
        const std::optional<Error> refused = OpenError(source);
        ASSERT_TRUE(refused) << value;
        EXPECT_EQ(refused->Kind(), ErrorKind::Connection);
        if (!(password ? braced.password : braced.login)) {
          EXPECT_EQ(refused->what(), "Error 0: " + UnsafeValueText(source, password ? "PWD" : "UID"));
        }
        EXPECT_FALSE(connection.IsOpen());
      }
    }
  }
  for (const auto& entry : std::filesystem::directory_iterator(m_folder.path())) {
    EXPECT_FALSE(entry.path().filename().string().starts_with("other.sqlite")) << entry.path();
  }
}

// A real password holding ";", "{", "}" and "=": it logs in through a user data source of a driver
// that reads it braced, is refused clearly through a file data source, and never shows when the
// completed connect string is printed.
TEST_P(DataSourceDriverOn, APasswordWithTheConnectStringsPunctuationLogsInOrIsRefusedClearly) {
  if (Db().kind == DbmsKind::Sqlite) GTEST_SKIP() << "SQLite has no logins";
  const DataSource& punct = Db().punctUserDsn;
  if (punct.login.empty()) {
    if (ServersRequired()) FAIL() << "no TESSARINE_*_PUNCT_LOGIN: restart scripts/start-test-databases.sh";
    GTEST_SKIP() << "no TESSARINE_*_PUNCT_LOGIN";
  }
  ASSERT_NE(punct.password.find_first_of(";{}"), std::string::npos);

  const std::optional<Error> error = OpenError(punct);
  ASSERT_FALSE(error) << error->what();
  const char* whoAmI = Db().name == "PostgreSQL" ? "select current_user;" : "select current_user();";
  const std::string user = connection.FirstValue(whoAmI).value_or("");
  EXPECT_TRUE(user.starts_with(punct.login)) << user;
  const std::string masked = MaskPassword(connection.CompletedConnectString(), punct.password);
  for (const char* piece : {"semi", "colon", "brace", "eq"}) {
    EXPECT_EQ(masked.find(piece), std::string::npos) << masked;
  }
  connection.CloseConnection();

  const DataSource file{Db().fileDsn.dsn, true, punct.login, punct.password};
  const std::optional<Error> refused = OpenError(file);
  ASSERT_TRUE(refused);
  EXPECT_EQ(refused->Kind(), ErrorKind::Connection);
  EXPECT_EQ(refused->what(), "Error 0: " + UnsafeValueText(file, "PWD"));
  EXPECT_NE(std::string(refused->what()).find("file data source"), std::string::npos);
  EXPECT_FALSE(connection.IsOpen());
}

}  // namespace
}  // namespace tessarine::test
