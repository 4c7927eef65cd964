// How an operation tells the user that the catalogue could not be opened or refused a statement,
// on every real database.

#include <iostream>

#include "core/WindowTitle.h"
#include "support/DatabaseFixture.h"
#include "workflows/connection/OpenCatalogue.h"
#include "workflows/connection/ReportDatabaseError.h"

namespace tessarine::test {
namespace {

using DatabaseReportsOn = DatabaseFixture;
TESSARINE_ON_EVERY_DATABASE(DatabaseReportsOn);

// Prints a measured error text so that a run's log records what each database says.
void Record(const std::string& database, const std::string& what, const std::string& text) {
  std::cout << "[error text] " << database << " / " << what << ": " << text << '\n';
}

void ExpectCommonReport(const RecordingUserPort& port) {
  ASSERT_EQ(port.messages.size(), 1u);
  const RecordedMessage& m = port.messages[0];
  EXPECT_TRUE(m.text.starts_with("Error ")) << m.text;
  EXPECT_NE(m.text.find(": "), std::string::npos) << m.text;
  EXPECT_EQ(m.icon, MessageIcon::Exclamation);
  EXPECT_EQ(m.title, kWindowTitle);
  EXPECT_EQ(m.buttons, MessageButtons::Ok);
  EXPECT_EQ(port.events, (std::vector<std::string>{"message", "beep"}));
}

TEST_P(DatabaseReportsOn, OpeningClearsTheStatusLine) {
  ASSERT_TRUE(OpenCatalogue(connection, port, Db().userDsn));
  EXPECT_TRUE(port.messages.empty());
  EXPECT_EQ(port.statuses, std::vector<std::string>{""});
}

TEST_P(DatabaseReportsOn, AnEmptyDsnOnlySaysSoInTheStatusLine) {
  DataSource none = Db().userDsn;
  none.dsn.clear();
  EXPECT_TRUE(OpenCatalogue(connection, port, none).Is(ErrorKind::NoDataSource));
  EXPECT_EQ(port.LastStatus(), "DSN not defined");
  EXPECT_TRUE(port.messages.empty());
  EXPECT_EQ(port.beeps, 0);
  EXPECT_FALSE(connection.IsOpen());
}

TEST_P(DatabaseReportsOn, AMissingDataSourceIsReportedInTheCommonForm) {
  DataSource missing = Db().userDsn;
  missing.dsn = "TessarineNoSuchSource";
  EXPECT_TRUE(OpenCatalogue(connection, port, missing).Is(ErrorKind::Connection));
  EXPECT_FALSE(connection.IsOpen());
  ExpectCommonReport(port);
  Record(Db().name, "missing DSN", port.messages.at(0).text);
}

TEST_P(DatabaseReportsOn, ABadPasswordIsReportedInTheCommonFormWhereTheServerChecksIt) {
  DataSource wrong = Db().userDsn;
  wrong.password = "not-the-password";
  const Status opened = OpenCatalogue(connection, port, wrong);
  if (Db().kind == DbmsKind::Sqlite) {
    // An embedded database has no accounts: the driver ignores login and password.
    EXPECT_TRUE(opened);
    EXPECT_TRUE(port.messages.empty());
    return;
  }
  EXPECT_TRUE(opened.Is(ErrorKind::Connection));
  EXPECT_FALSE(connection.IsOpen());
  ExpectCommonReport(port);
  Record(Db().name, "bad password", port.messages.at(0).text);
}

TEST_P(DatabaseReportsOn, ADuplicateKeyIsReportedInTheCommonForm) {
  Open();
  const std::string t = Table("Dup");
  connection.SendStatement("create table " + t + " (Folder varchar(255) not null,FileName varchar(255) not null,"
                           "primary key(Folder,FileName));");
  const std::string insert = "insert into " + t + " (Folder,FileName) values ('/p/','a.jpg');";
  ASSERT_TRUE(SendOrReport(connection, port, insert));
  const Status refused = SendOrReport(connection, port, insert);
  EXPECT_TRUE(refused.Is(ErrorKind::Database));
  ExpectCommonReport(port);
  EXPECT_EQ(port.messages.at(0).text, refused.GetError().what());
  Record(Db().name, "duplicate key", port.messages.at(0).text);
}

}  // namespace
}  // namespace tessarine::test
