// How an operation tells the user that the catalogue could not be opened or refused a statement,
// on every real database.

#include <functional>
#include <iostream>

#include "core/WindowTitle.h"
#include "support/DatabaseFixture.h"
#include "workflows/connection/OpenCatalogue.h"
#include "workflows/connection/ReportDatabaseError.h"

namespace tessarine::test {
namespace {

using DatabaseReportsOn = DatabaseFixture;
TESSARINE_ON_EVERY_DATABASE(DatabaseReportsOn);

// The common form: one message box "Error <code>: <text>" and a beep. The text is printed so that a
// run's log records what each database says.
void ExpectCommonReport(const std::string& what, const RecordingUserPort& port) {
  ASSERT_EQ(port.messages.size(), 1u) << what;
  const RecordedMessage& m = port.messages[0];
  std::cout << "[error text] " << what << ": " << m.text << '\n';
  EXPECT_TRUE(m.text.starts_with("Error ")) << m.text;
  EXPECT_NE(m.text.find(": "), std::string::npos) << m.text;
  EXPECT_EQ(m.icon, MessageIcon::Exclamation);
  EXPECT_EQ(m.title, kWindowTitle);
  EXPECT_EQ(m.buttons, MessageButtons::Ok);
  EXPECT_EQ(port.events, (std::vector<std::string>{"message", "beep"})) << what;
}

// An embedded database has no accounts: its driver ignores a bad password.
TEST_P(DatabaseReportsOn, OpeningClearsTheStatusLineOrTellsWhyItFailed) {
  const bool embedded = Db().kind == DbmsKind::Sqlite;
  const struct {
    const char* what;
    std::function<void(DataSource&)> change;
    std::optional<ErrorKind> refused;  // nothing: opened
  } cases[] = {
      {"as set up", [](DataSource&) {}, std::nullopt},
      {"empty DSN", [](DataSource& s) { s.dsn.clear(); }, ErrorKind::NoDataSource},
      {"missing DSN", [](DataSource& s) { s.dsn = "TessarineNoSuchSource"; }, ErrorKind::Connection},
      {"bad password", [](DataSource& s) { s.password = "not-the-password"; },
       embedded ? std::nullopt : std::optional(ErrorKind::Connection)},
  };
  for (const auto& c : cases) {
    RecordingUserPort told;
    CatalogueConnection opened;
    DataSource source = Db().userDsn;
    c.change(source);
    const Status status = OpenCatalogue(opened, told, source);
    EXPECT_EQ(opened.IsOpen(), !c.refused) << c.what;
    if (!c.refused) {
      EXPECT_TRUE(status) << c.what;
      EXPECT_TRUE(told.messages.empty()) << c.what;
      EXPECT_EQ(told.statuses, std::vector<std::string>{""}) << c.what;
    } else if (*c.refused == ErrorKind::NoDataSource) {
      EXPECT_TRUE(status.Is(ErrorKind::NoDataSource));
      EXPECT_EQ(told.LastStatus(), "DSN not defined");
      EXPECT_TRUE(told.events.empty());
    } else {
      EXPECT_TRUE(status.Is(*c.refused)) << c.what;
      ExpectCommonReport(Db().name + " / " + c.what, told);
    }
  }
}

TEST_P(DatabaseReportsOn, ARefusedStatementIsReportedInTheCommonForm) {
  Open();
  const std::string t = Table("Dup");
  connection.SendStatement("create table " + t + " (Folder varchar(255) not null,FileName varchar(255) not null,"
                           "primary key(Folder,FileName));");
  const std::string insert = "insert into " + t + " (Folder,FileName) values ('/p/','a.jpg');";
  ASSERT_TRUE(SendOrReport(connection, port, insert));
  const Status refused = SendOrReport(connection, port, insert);
  EXPECT_TRUE(refused.Is(ErrorKind::Database));
  ExpectCommonReport(Db().name + " / duplicate key", port);
  EXPECT_EQ(port.messages.at(0).text, refused.GetError().what());
}

}  // namespace
}  // namespace tessarine::test
