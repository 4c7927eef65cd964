// The connection pieces of the operations: opening the catalogue and telling why it failed,
// "Testing Query", the table names an operation takes (checked before any connection), and
// creating the tables, on every real database where one is needed.

#include <functional>
#include <iostream>

#include "catalogue/CatalogueStatements.h"
#include "catalogue/ConnectString.h"
#include "catalogue/ScanStatements.h"
#include "core/ImageColumns.h"
#include "core/IniFile.h"
#include "core/WindowTitle.h"
#include "support/DatabaseFixture.h"
#include "support/ValidName.h"
#include "workflows/connection/CatalogueTables.h"
#include "workflows/connection/CheckedTableName.h"
#include "workflows/connection/OpenCatalogue.h"
#include "workflows/connection/TestingQuery.h"
#include "workflows/folders/FolderList.h"
#include "workflows/scan/ScanDriver.h"
#include "workflows/verify/ConsistencyCheck.h"

namespace tessarine::test {
namespace {

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

class ConnectionOn : public DatabaseFixture {
 protected:
  Expected<std::string> Query(const ConnectionBoxes& typed, std::string_view query) {
    return TestingQuery(connection, port, settings, ini(), typed, query);
  }
  ConnectionBoxes UserBoxes() const {
    return {"  " + Db().userDsn.dsn + " ", false, Db().userDsn.login, Db().userDsn.password};
  }
  Expected<CreateTableOutcome> Create(CatalogueTable table, std::optional<DbmsKind> kind = std::nullopt) {
    settings = SettingsOfDb();
    if (kind) settings.dbms = *kind;
    return CreateCatalogueTable(connection, port, settings, boxes, {table, false, ini(), [this] { ++reloads; }});
  }
  std::filesystem::path ini() const { return m_folder / "Tessarine PRO.ini"; }

  Settings settings;
  TableNameBoxes boxes;
  int reloads = 0;
};
TESSARINE_ON_EVERY_DATABASE(ConnectionOn);

// An embedded database has no accounts: its driver ignores a bad password.
TEST_P(ConnectionOn, OpeningClearsTheStatusLineOrTellsWhyItFailed) {
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

TEST_P(ConnectionOn, TestingQueryShowsTheResultAndTheConnectStringWithoutThePassword) {
  EXPECT_EQ(Query(UserBoxes(), Dialect().TestQuery()), "1");
  EXPECT_TRUE(port.messages.empty()) << DescribeMessages();
  // How the password is hidden is MaskPassword's.
  EXPECT_EQ(port.LastStatus(), MaskPassword(connection.CompletedConnectString(), Db().userDsn.password));
  EXPECT_FALSE(port.LastStatus().empty());
  EXPECT_FALSE(connection.IsOpen());
  EXPECT_EQ(port.busyDepth, 0);
  // The trimmed connection boxes reached the settings and the file first.
  EXPECT_EQ(settings.dsn, Db().userDsn.dsn);
  EXPECT_EQ(ReadSetting(ini(), "Connection", "DSN"), Db().userDsn.dsn);
  EXPECT_EQ(ReadSetting(ini(), "Connection", "FileDSN"), "0");
  // Any typed query shows what it selects; no row or a null leaves the result empty, without a message.
  const std::string t = Table("Probe");
  Open().SendStatement("create table " + t + " (Value varchar(10));");
  connection.CloseConnection();
  for (const std::string& query : {"select Value from " + t + ";", std::string("select null;"), "delete from " + t + ";"}) {
    EXPECT_EQ(Query(UserBoxes(), query), "") << query;
  }
  EXPECT_EQ(Query(UserBoxes(), "select 2;"), "2");
  EXPECT_TRUE(port.messages.empty()) << DescribeMessages();
  // The same through a file data source.
  const DataSource& f = Db().fileDsn;
  EXPECT_EQ(Query({f.dsn, true, f.login, f.password}, Dialect().TestQuery()), "1") << DescribeMessages();
  EXPECT_EQ(ReadSetting(ini(), "Connection", "FileDSN"), "1");

  // A rejected query beeps, then reports; an empty DSN still saves the boxes (how it is told is
  // OpenCatalogue's).
  port = RecordingUserPort();
  EXPECT_TRUE(Query(UserBoxes(), "select nothing from nowhere_at_all;").Is(ErrorKind::Database));
  EXPECT_EQ(port.events, (std::vector<std::string>{"beep", "message"}));
  ASSERT_EQ(port.messages.size(), 1u);
  EXPECT_TRUE(port.messages[0].text.starts_with("Error ")) << port.messages[0].text;
  EXPECT_EQ(port.messages[0].icon, MessageIcon::Exclamation);
  EXPECT_FALSE(connection.IsOpen());
  EXPECT_TRUE(Query({"   ", false, "me", "pw"}, Dialect().TestQuery()).Is(ErrorKind::NoDataSource));
  EXPECT_EQ(ReadSetting(ini(), "Connection", "Login"), "me");
  EXPECT_EQ(ReadSetting(ini(), "Connection", "Password"), "pw");
}

// The folders table twice (dropping its rows), the images table with every column and its index,
// then a create the server refuses: a view holds the name.
TEST_P(ConnectionOn, CreatesTheTablesAndReportsACreateError) {
  boxes = {Table("Folders"), Table("Images")};
  for (int time = 0; time < 2; ++time) {
    EXPECT_EQ(Create(CatalogueTable::Folders), CreateTableOutcome::Created);
    ASSERT_EQ(port.messages.size(), time + 1u) << DescribeMessages();  // only the question: a drop error is ignored
    EXPECT_FALSE(connection.IsOpen());
    Open();
    EXPECT_EQ(connection.FirstValue("select count(*) from " + boxes.folders + ";"), "0");
    connection.SendStatement("insert into " + boxes.folders +
                             " (Folder,Files,LastScan) values ('/a/','3','2024-01-02 03:04:05');");
    EXPECT_EQ(connection.FirstValue("select LastScan from " + boxes.folders + ";"), "2024-01-02 03:04:05");
    connection.CloseConnection();
  }
  EXPECT_EQ(reloads, 0);
  EXPECT_EQ(ReadSetting(ini(), "Database", "Folders"), boxes.folders);
  // Settings that name another kind of server: refused before anything is dropped.
  const DbmsKind other = Db().kind == DbmsKind::Sqlite ? DbmsKind::Oracle : DbmsKind::Sqlite;
  EXPECT_TRUE(Create(CatalogueTable::Folders, other).Is(ErrorKind::WrongKind));
  EXPECT_EQ(Open().FirstValue("select count(*) from " + boxes.folders + ";"), "1");
  connection.CloseConnection();

  port = RecordingUserPort();
  EXPECT_EQ(Create(CatalogueTable::Images), CreateTableOutcome::Created);
  EXPECT_EQ(port.messages.size(), 1u) << DescribeMessages();
  EXPECT_EQ(reloads, 1);
  Open();
  auto rows = connection.ExecuteStatement("select * from " + boxes.images + ";");
  ASSERT_NE(rows, nullptr);
  EXPECT_EQ(rows->FieldCount(), kImageColumnCount);
  EXPECT_TRUE(rows->IsEof());
  rows.reset();
  // The index is there: creating it again fails.
  EXPECT_THROW(connection.SendStatement(ImagesIndexStatement(ValidName(boxes.images))), DatabaseError);

  port = RecordingUserPort();
  boxes.images = Table("View");
  connection.SendStatement("create view " + boxes.images + " as select 1 as x;");
  connection.CloseConnection();
  const Expected<CreateTableOutcome> created = Create(CatalogueTable::Images);
  Open().SendStatement("drop view " + boxes.images + ";");
  connection.CloseConnection();
  EXPECT_TRUE(created.Is(ErrorKind::Database));
  ASSERT_EQ(port.messages.size(), 2u);
  EXPECT_TRUE(port.messages[1].text.starts_with("Error ")) << port.messages[1].text;
  EXPECT_EQ(port.messages[1].icon, MessageIcon::Exclamation);
  EXPECT_EQ(port.events.back(), "beep");
  EXPECT_EQ(reloads, 2);
  EXPECT_EQ(port.busyDepth, 0);
}

// A new table the server refuses leaves the old one with its rows: an index's name taken where a
// rollback brings a dropped table back, a name too long for the server's limit with "_new" elsewhere.
TEST_P(ConnectionOn, ARefusedCreationKeepsTheOldTableAndItsRows) {
  const bool rollsBack = Db().kind != DbmsKind::MySqlPostgreSqlEtc || Db().name == "PostgreSQL";
  boxes = {Table("Folders"), Table(rollsBack ? "Images" : std::string(56, 'L'))};
  Open().SendStatement(ImagesTableStatement(ValidName(boxes.images), Dialect()));
  connection.SendStatement("insert into " + boxes.images + " (Folder,FileName) values ('/a/','b.jpg');");
  const std::string blocker = boxes.images + "Index";
  if (rollsBack) connection.SendStatement("create table " + blocker + " (x int);");
  connection.CloseConnection();
  port = RecordingUserPort();
  EXPECT_TRUE(Create(CatalogueTable::Images).Is(ErrorKind::Database));
  EXPECT_EQ(port.messages.size(), 2u) << DescribeMessages();
  EXPECT_EQ(Open().FirstValue("select count(*) from " + boxes.images + ";"), "1");
  if (rollsBack) connection.SendStatement("drop table " + blocker + ";");
}

// Before any connection: a name is trimmed in its box and the settings, or refused (with the rule
// and a beep, nothing saved); "Display" shows the statement only; "No" changes nothing; the images
// list reloads even when the connection fails.
TEST(TableActions, CheckTheNameAskAndReloadBeforeAnyDatabaseWork) {
  const std::string invalid = "Invalid table name\r\n" + std::string(kTableNameRule);
  TempDir folder;
  const std::filesystem::path ini = folder / "Tessarine PRO.ini";
  CatalogueConnection connection;
  RecordingUserPort port;
  Settings settings;
  TableNameBoxes boxes{"  Dirs ", "My Pics"};
  EXPECT_EQ(AcceptTableName(port, settings, boxes, CatalogueTable::Folders), ValidName("Dirs"));
  EXPECT_EQ(boxes.folders, "Dirs");
  EXPECT_EQ(settings.folders, "Dirs");
  EXPECT_TRUE(port.messages.empty());
  int reloads = 0;
  const CreateTableRequest request{CatalogueTable::Images, false, ini, [&] { ++reloads; }};
  EXPECT_EQ(CreateCatalogueTable(connection, port, settings, boxes, request), CreateTableOutcome::InvalidName);
  ASSERT_EQ(port.messages.size(), 1u);
  EXPECT_EQ(port.messages[0].text, invalid);
  EXPECT_EQ(port.messages[0].icon, MessageIcon::Exclamation);
  EXPECT_EQ(port.messages[0].title, kWindowTitle);
  EXPECT_EQ(port.events, (std::vector<std::string>{"message", "beep"}));
  EXPECT_EQ(settings.images, "Images");
  EXPECT_FALSE(DisplayTableStatement(port, settings, boxes, CatalogueTable::Images).has_value());
  boxes.folders = "   ";
  EXPECT_FALSE(AcceptTableName(port, settings, boxes, CatalogueTable::Folders).has_value());
  EXPECT_EQ(boxes.folders, "");
  EXPECT_EQ(port.messages.size(), 3u);

  settings.dbms = DbmsKind::Oracle;
  boxes.images = " Pics";
  const auto shown = DisplayTableStatement(port, settings, boxes, CatalogueTable::Images);
  ASSERT_TRUE(shown.has_value());
  EXPECT_EQ(shown->caption, "SQL statement to create table 'Pics'");
  EXPECT_EQ(shown->statement, ImagesTableStatement(ValidName("Pics"), SqlDialectFor(DbmsKind::Oracle)));

  port.answerYes = false;
  EXPECT_EQ(CreateCatalogueTable(connection, port, settings, boxes, request), CreateTableOutcome::Declined);
  EXPECT_EQ(port.messages.back().text, "Table 'Pics' and its content will be removed\r\nPlease confirm");
  EXPECT_EQ(port.messages.back().buttons, MessageButtons::YesNo);
  EXPECT_EQ(reloads, 0);
  EXPECT_TRUE(port.statuses.empty());  // no connection was attempted so far
  port.answerYes = true;
  EXPECT_TRUE(CreateCatalogueTable(connection, port, settings, boxes, request).Is(ErrorKind::NoDataSource));
  EXPECT_EQ(reloads, 1);
  EXPECT_EQ(port.busyDepth, 0);
  EXPECT_FALSE(std::filesystem::exists(ini));  // the names are saved only once connected
}

// Table names from a settings file written by hand or by another program (PostgreSQL would run
// whatever follows a ";"): each operation on the tables checks the names it sends before it
// connects, so the connection handed to it is never opened. Said once: in a message box with a
// beep, or in the status line for the list's load.
TEST(CheckedTableName, EveryOperationOnTheTablesRefusesAnInvalidNameBeforeConnecting) {
  RecordingUserPort valid;
  EXPECT_EQ(CheckedTableName(valid, "Pics_2"), ValidName("Pics_2"));
  EXPECT_TRUE(valid.messages.empty());
  TempDir tree;
  WriteFile(tree / "b.txt", "b");
  std::vector<FolderEntry> entries{FolderEntry{FolderKey::FromPath(tree.path().string())}};
  entries[0].checked = true;
  const std::string key = FolderKeyText(entries[0].folder);
  const std::string folders = "Folders;drop/**/table/**/Images;--";
  const std::string images = "Images; drop table Folders; --";
  struct Operation {
    const char* name;
    bool usesFolders;
    bool usesImages;
    std::function<bool(CatalogueConnection&, UserPort&, const Settings&)> run;  // true when refused
  };
  const Operation operations[] = {
      {"load the folder list", true, false,
       [&](auto& c, auto& p, const auto& s) { return LoadFolderEntries(c, p, s, false).status.Is(ErrorKind::TableName); }},
      {"add a folder", true, false,
       [&](auto& c, auto& p, const auto& s) {
         return AddFolderToScan(c, p, s, false, (tree / "other").string(), {}).status.Is(ErrorKind::TableName);
       }},
      {"remove a folder", true, true,
       [&](auto& c, auto& p, const auto& s) { return RemoveFolderToScan(c, p, s, false, &entries[0]).Is(ErrorKind::TableName); }},
      {"scan", true, true,
       [&](auto& c, auto& p, const auto& s) {
         const ScanResult scan = ScanFolders(c, p, s, false, tree / "x.ini", entries, {});
         return scan.status.Is(ErrorKind::TableName) && scan.files == 0;
       }},
      {"check", false, true,
       [&](auto& c, auto& p, const auto& s) {
         return RunConsistencyCheck(c, p, s, false, entries).status.Is(ErrorKind::TableName);
       }},
      {"delete lines", false, true,
       [&](auto& c, auto& p, const auto& s) {
         std::vector<CheckedLine> lines{{entries[0].folder.Text(), "a.jpg", key, "a.jpg"}};
         return DeleteLinesWithoutFiles(c, p, s, false, lines) == 0 && lines.size() == 1;
       }},
      {"delete files", false, true,
       [&](auto& c, auto& p, const auto& s) {
         std::vector<CheckedFile> files{{entries[0].folder.Text(), "b.txt", entries[0].folder.Bytes(), "b.txt"}};
         return DeleteFilesWithoutLines(c, p, s, false, files) == 0 && files.size() == 1;
       }},
  };
  for (const bool hostileFolders : {true, false}) {
    Settings settings;
    settings.dsn = "never-opened";
    settings.folders = hostileFolders ? folders : "Folders";
    settings.images = hostileFolders ? "Images" : images;
    for (const Operation& operation : operations) {
      if (hostileFolders ? !operation.usesFolders : !operation.usesImages) continue;
      SCOPED_TRACE(std::string(operation.name) + (hostileFolders ? ", folders name" : ", images name"));
      RecordingUserPort port;
      CatalogueConnection unused;
      EXPECT_TRUE(operation.run(unused, port, settings));
      EXPECT_TRUE(unused.ConnectString().empty());
      if (std::string_view(operation.name) == "load the folder list") {
        EXPECT_TRUE(port.messages.empty());
        EXPECT_EQ(port.LastStatus(), "Invalid table name '" + folders + "': " + std::string(kTableNameRule));
      } else {
        ASSERT_EQ(port.messages.size(), 1u);
        EXPECT_EQ(port.messages[0].text, InvalidTableNameText(hostileFolders ? folders : images));
        EXPECT_EQ(port.messages[0].icon, MessageIcon::Exclamation);
        EXPECT_EQ(port.events, (std::vector<std::string>{"message", "beep"}));
      }
    }
  }
  EXPECT_TRUE(std::filesystem::exists(tree / "b.txt"));
}

}  // namespace
}  // namespace tessarine::test
