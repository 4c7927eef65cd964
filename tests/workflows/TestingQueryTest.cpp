// "Testing Query" on every real database.

#include "workflows/connection/TestingQuery.h"

#include "catalogue/ConnectString.h"
#include "catalogue/DataSourceDriver.h"
#include "core/IniFile.h"
#include "core/WindowTitle.h"
#include "support/DatabaseFixture.h"

namespace tessarine::test {
namespace {

class TestingQueryOn : public DatabaseFixture {
 protected:
  Expected<std::string> Run(const ConnectionBoxes& boxes, std::string_view query) {
    return TestingQuery(connection, port, settings, ini(), boxes, query);
  }
  ConnectionBoxes UserBoxes() const {
    return {"  " + Db().userDsn.dsn + " ", false, Db().userDsn.login, Db().userDsn.password};
  }
  std::filesystem::path ini() const { return m_folder / "Tessarine PRO.ini"; }
  Settings settings;
};
TESSARINE_ON_EVERY_DATABASE(TestingQueryOn);

TEST_P(TestingQueryOn, ShowsOneAndTheCompletedConnectStringWithoutThePassword) {
  EXPECT_EQ(Run(UserBoxes(), Dialect().TestQuery()), "1");
  EXPECT_TRUE(port.messages.empty()) << DescribeMessages();
  EXPECT_EQ(port.LastStatus(), MaskPassword(connection.CompletedConnectString(), Db().userDsn.password));
  EXPECT_FALSE(port.LastStatus().empty());
  if (!Db().userDsn.password.empty()) {
    EXPECT_EQ(port.LastStatus().find(Db().userDsn.password), std::string::npos) << port.LastStatus();
    EXPECT_NE(port.LastStatus().find("PWD=***"), std::string::npos) << port.LastStatus();
  }
  EXPECT_FALSE(connection.IsOpen());
  EXPECT_EQ(port.busyDepth, 0);
  // The trimmed connection boxes reached the settings and the file first.
  EXPECT_EQ(settings.dsn, Db().userDsn.dsn);
  EXPECT_EQ(ReadSetting(ini(), "Connection", "DSN"), Db().userDsn.dsn);
  EXPECT_EQ(ReadSetting(ini(), "Connection", "FileDSN"), "0");
  // Any typed query shows what it selects; no row or a null leaves the result empty, without a message.
  EXPECT_EQ(Run(UserBoxes(), "select 2;"), "2");
  const std::string t = Table("Probe");
  Open().SendStatement("create table " + t + " (Value varchar(10));");
  connection.CloseConnection();
  for (const std::string& query :
       {"select Value from " + t + ";", std::string("select null;"), "delete from " + t + ";"}) {
    EXPECT_EQ(Run(UserBoxes(), query), "") << query;
  }
  EXPECT_TRUE(port.messages.empty()) << DescribeMessages();
  // The same through a file data source.
  const DataSource& f = Db().fileDsn;
  EXPECT_EQ(Run({f.dsn, true, f.login, f.password}, Dialect().TestQuery()), "1") << DescribeMessages();
  EXPECT_EQ(ReadSetting(ini(), "Connection", "FileDSN"), "1");
}

// How a missing DSN is told is OpenCatalogue's (DatabaseReportsOn).
TEST_P(TestingQueryOn, EmptyDsnStillSavesTheBoxes) {
  EXPECT_TRUE(Run({"   ", false, "me", "pw"}, Dialect().TestQuery()).Is(ErrorKind::NoDataSource));
  EXPECT_EQ(ReadSetting(ini(), "Connection", "Login"), "me");
  EXPECT_EQ(ReadSetting(ini(), "Connection", "Password"), "pw");
}

// The password that opened (and created) another SQLite database: refused in the common form
// where the driver would split it, kept in the settings as typed, and no file is made.
TEST_P(TestingQueryOn, APasswordTheDriverWouldSplitIsRefusedAndKept) {
  const std::filesystem::path other = m_folder / "other.sqlite";
  ConnectionBoxes boxes = UserBoxes();
  boxes.password = "x;Database=" + other.string();
  EXPECT_TRUE(Run(boxes, Dialect().TestQuery()).Is(ErrorKind::Connection));
  ASSERT_EQ(port.messages.size(), 1u) << DescribeMessages();
  if (!BracedValuesOf(Db().userDsn).password) {
    const DataSource source{Db().userDsn.dsn, false, boxes.login, boxes.password};
    EXPECT_EQ(port.messages[0].text, "Error 0: " + UnsafeValueText(source, "PWD"));
  }
  EXPECT_EQ(port.messages[0].icon, MessageIcon::Exclamation);
  EXPECT_EQ(ReadSetting(ini(), "Connection", "Password"), boxes.password);
  EXPECT_FALSE(std::filesystem::exists(other));
  EXPECT_FALSE(connection.IsOpen());
}

TEST_P(TestingQueryOn, ARejectedQueryBeepsThenReports) {
  EXPECT_TRUE(Run(UserBoxes(), "select nothing from nowhere_at_all;").Is(ErrorKind::Database));
  EXPECT_EQ(port.events, (std::vector<std::string>{"beep", "message"}));
  ASSERT_EQ(port.messages.size(), 1u);
  EXPECT_TRUE(port.messages[0].text.starts_with("Error ")) << port.messages[0].text;
  EXPECT_EQ(port.messages[0].title, kWindowTitle);
  EXPECT_EQ(port.messages[0].icon, MessageIcon::Exclamation);
  EXPECT_FALSE(connection.IsOpen());
}

}  // namespace
}  // namespace tessarine::test
