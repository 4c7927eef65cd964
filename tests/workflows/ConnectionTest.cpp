// The connection pieces of the operations: opening the catalogue and telling why it failed,
// "Testing Query", the table names an operation takes (checked before any connection), and
// creating the tables, on every real database where one is needed.

#include <iostream>

#include "catalogue/CompanionStatements.h"
#include "catalogue/ConnectString.h"
#include "core/IniFile.h"
#include "workflows/CatalogueFixture.h"
#include "workflows/connection/CatalogueTables.h"
#include "workflows/connection/CheckedTableName.h"
#include "workflows/connection/TestingQuery.h"

namespace tessarine::test {
namespace {

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

// The typed query's first value, the connect string without the password in the status line (the
// line first cleared), the boxes saved first. A source the driver manager refuses: one message box
// "Error <code>: <text>" and a beep (the text printed, so that a run's log records each database's);
// no source named: "DSN not defined" in the status line only; a refused query: a beep, then the box.
TEST_P(ConnectionOn, TestingQueryShowsTheResultOrTellsWhyItFailed) {
  EXPECT_EQ(Query(UserBoxes(), Dialect().TestQuery()), "1");
  EXPECT_TRUE(port.messages.empty()) << DescribeMessages();
  // How the password is hidden is MaskPassword's.
  const std::string shown = MaskPassword(connection.CompletedConnectString(), Db().userDsn.password);
  EXPECT_EQ(port.statuses, (std::vector<std::string>{"", shown}));
  EXPECT_FALSE(shown.empty());
  EXPECT_FALSE(connection.IsOpen());
  EXPECT_EQ(port.busyDepth, 0);
  // The trimmed connection boxes reached the settings and the file first.
  EXPECT_EQ(settings.dsn, Db().userDsn.dsn);
  EXPECT_EQ(ReadSetting(ini(), "Connection", "DSN"), Db().userDsn.dsn);
  // No row, a null or no result at all leaves the result empty, without a message.
  const std::string t = Table("Probe");
  Open().SendStatement("create table " + t + " (Value varchar(10));");
  for (const std::string& query : {"select Value from " + t + ";", std::string("select null;"), "delete from " + t + ";"}) {
    EXPECT_EQ(Query(UserBoxes(), query), "") << query;
  }
  EXPECT_TRUE(port.messages.empty()) << DescribeMessages();
  // The same through a file data source.
  const DataSource& f = Db().fileDsn;
  EXPECT_EQ(Query({f.dsn, true, f.login, f.password}, "select 2;"), "2") << DescribeMessages();
  EXPECT_EQ(ReadSetting(ini(), "Connection", "FileDSN"), "1");

  port = RecordingUserPort();
  EXPECT_TRUE(Query({"TessarineNoSuchSource", false, "", ""}, "select 1;").Is(ErrorKind::Connection));
  ASSERT_EQ(port.messages.size(), 1u);
  const RecordedMessage& m = port.messages[0];
  std::cout << "[error text] " << Db().name << ": " << m.text << '\n';
  EXPECT_TRUE(m.text.starts_with("Error ") && m.text.find(": ") != std::string::npos) << m.text;
  EXPECT_EQ(m.icon, MessageIcon::Exclamation);
  EXPECT_EQ(m.title, kWindowTitle);
  EXPECT_EQ(m.buttons, MessageButtons::Ok);
  EXPECT_EQ(port.events, (std::vector<std::string>{"message", "beep"}));
  port = RecordingUserPort();
  EXPECT_TRUE(Query({"   ", false, "me", "pw"}, Dialect().TestQuery()).Is(ErrorKind::NoDataSource));
  EXPECT_EQ(port.LastStatus(), "DSN not defined");
  EXPECT_TRUE(port.events.empty());
  EXPECT_EQ(ReadSetting(ini(), "Connection", "FileDSN"), "0");
  EXPECT_EQ(ReadSetting(ini(), "Connection", "Password"), "pw");
  port = RecordingUserPort();
  EXPECT_TRUE(Query(UserBoxes(), "select nothing from nowhere_at_all;").Is(ErrorKind::Database));
  EXPECT_EQ(port.events, (std::vector<std::string>{"beep", "message"}));
  EXPECT_TRUE(port.messages.at(0).text.starts_with("Error ")) << port.messages[0].text;
  EXPECT_FALSE(connection.IsOpen());
}

// The folders table twice (dropping its rows), settings naming another kind of server (refused
// before anything is dropped), the images table with every column and its index, then a create
// the server refuses: a view holds the name. A new table the server refuses leaves the old one with
// its rows: an index's name taken where a rollback brings a dropped table back, a name too long for
// the server's limit with "_new" elsewhere.
TEST_P(ConnectionOn, CreatesTheTablesAndReportsACreateErrorKeepingAnOldTable) {
  boxes = {Table("Folders"), Table("Images")};
  for (int time = 0; time < 2; ++time) {
    EXPECT_EQ(Create(CatalogueTable::Folders), CreateTableOutcome::Created);
    ASSERT_EQ(port.messages.size(), time + 1u) << DescribeMessages();  // only the question: a drop error is ignored
    EXPECT_EQ(Open().FirstValue("select count(*) from " + boxes.folders + ";"), "0");
    connection.SendStatement("insert into " + boxes.folders +
                             " (Folder,Files,LastScan) values ('/a/','3','2024-01-02 03:04:05');");
    EXPECT_EQ(connection.FirstValue("select LastScan from " + boxes.folders + ";"), "2024-01-02 03:04:05");
  }
  EXPECT_EQ(reloads, 0);
  EXPECT_EQ(ReadSetting(ini(), "Database", "Folders"), boxes.folders);
  const DbmsKind other = Db().kind == DbmsKind::Sqlite ? DbmsKind::Oracle : DbmsKind::Sqlite;
  EXPECT_TRUE(Create(CatalogueTable::Folders, other).Is(ErrorKind::WrongKind));
  EXPECT_EQ(Open().FirstValue("select count(*) from " + boxes.folders + ";"), "1");

  EXPECT_EQ(Create(CatalogueTable::Images), CreateTableOutcome::Created);
  EXPECT_EQ(reloads, 1);
  auto rows = Open().ExecuteStatement("select * from " + boxes.images + ";");
  ASSERT_NE(rows, nullptr);
  EXPECT_EQ(rows->FieldCount(), kImageColumnCount);
  rows.reset();
  // The index is there: creating it again fails.
  EXPECT_THROW(connection.SendStatement(ImagesIndexStatement(ValidName(boxes.images))), DatabaseError);

  port = RecordingUserPort();
  boxes.images = Table("View");
  connection.SendStatement("create view " + boxes.images + " as select 1 as x;");
  const Expected<CreateTableOutcome> created = Create(CatalogueTable::Images);
  Open().SendStatement("drop view " + boxes.images + ";");
  EXPECT_TRUE(created.Is(ErrorKind::Database));
  ASSERT_EQ(port.messages.size(), 2u);
  EXPECT_TRUE(port.messages[1].text.starts_with("Error ")) << port.messages[1].text;
  EXPECT_EQ(reloads, 2);
  EXPECT_EQ(port.busyDepth, 0);

  const bool rollsBack = Db().kind != DbmsKind::MySqlPostgreSqlEtc || Db().name == "PostgreSQL";
  // 62 or 63 characters with the unique suffix: within MariaDB's 64, but not with "_new".
  boxes.images = Table(rollsBack ? "Images" : std::string(62 - UniqueTableName("").size(), 'L'));
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

// The facts, keywords and hashes tables are added beside an images table an earlier version made, whose
// rows stay; once there, nothing more is made; without an images table nothing is. Creating the
// images table again then drops them first (their keys point at it) and makes them anew.
TEST_P(ConnectionOn, TheCompanionTablesAreAddedBesideAnImagesTableThatKeepsItsRows) {
  boxes = {Table("Folders"), Table("Images")};
  settings = SettingsOfDb();
  settings.images = boxes.images;
  const TableName images = ValidName(boxes.images);
  Open().SendStatement(ImagesTableStatement(images, Dialect()));
  connection.SendStatement("insert into " + boxes.images + " (Folder,FileName) values ('/a/','b.jpg');");
  const std::vector<std::string> both{FactsTableName(images).Text(), KeywordsTableName(images).Text(),
                                      HashesTableName(images).Text()};
  for (const std::vector<std::string>& made : {both, std::vector<std::string>{}}) {
    const Expected<std::vector<std::string>> created = CreateCompanionTables(connection, port, settings, false);
    ASSERT_TRUE(created) << DescribeMessages();
    EXPECT_EQ(*created, made);
    EXPECT_EQ(Open().FirstValue("select count(*) from " + boxes.images + ";"), "1");
    for (const std::string& table : both) EXPECT_EQ(connection.FirstValue("select count(*) from " + table + ";"), "0");
  }
  connection.SendStatement("insert into " + both[1] + " values ('/a/','b.jpg',0,'k','k',0);");
  EXPECT_EQ(Create(CatalogueTable::Images), CreateTableOutcome::Created);
  EXPECT_EQ(Open().FirstValue("select count(*) from " + both[1] + ";"), "0");

  settings.images = Table("None");
  EXPECT_TRUE(CreateCompanionTables(connection, port, settings, false).Is(ErrorKind::Database));
  EXPECT_FALSE(TableExists(Open(), FactsTableName(ValidName(settings.images))));
}


// Before any connection: a name is trimmed in its box and the settings, or refused (with the rule
// and a beep, nothing saved); "Display" shows the statement only; "No" changes nothing; the images
// list reloads even when the connection fails.
TEST(TableActions, CheckTheNameAskAndReloadBeforeAnyDatabaseWork) {
  TempDir folder;
  const std::filesystem::path ini = folder / "Tessarine PRO.ini";
  CatalogueConnection connection;
  RecordingUserPort port;
  Settings settings;
  TableNameBoxes boxes{"  Dirs ", "My Pics"};
  EXPECT_EQ(AcceptTableName(port, settings, boxes, CatalogueTable::Folders), ValidName("Dirs"));
  EXPECT_EQ(boxes.folders, "Dirs");
  EXPECT_EQ(settings.folders, "Dirs");
  int reloads = 0;
  const CreateTableRequest request{CatalogueTable::Images, false, ini, [&] { ++reloads; }};
  EXPECT_EQ(CreateCatalogueTable(connection, port, settings, boxes, request), CreateTableOutcome::InvalidName);
  ASSERT_EQ(port.messages.size(), 1u);
  EXPECT_EQ(port.messages[0].text, "Invalid table name\r\n" + std::string(kTableNameRule));
  EXPECT_EQ(port.events, (std::vector<std::string>{"message", "beep"}));
  EXPECT_EQ(settings.images, "Images");
  EXPECT_FALSE(DisplayTableStatement(port, settings, boxes, CatalogueTable::Images).has_value());

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
  EXPECT_FALSE(std::filesystem::exists(ini));  // the names are saved only once connected
}

// Table names from a settings file written by hand or by another program (PostgreSQL would run
// whatever follows a ";"): each operation on the tables checks the names it sends before it
// connects, so the connection handed to it is never opened. Said once: in a message box with a
// beep, or in the status line for the list's load.
TEST(CheckedTableName, EveryOperationOnTheTablesRefusesAnInvalidNameBeforeConnecting) {
  TempDir tree;
  WriteFile(tree / "b.txt", "b");
  std::vector<FolderEntry> entries(1);
  entries[0].folder = FolderKey::FromPath(tree.path().string());
  entries[0].checked = true;
  const std::string folder = entries[0].folder.Text();
  const std::string folders = "Folders;drop/**/table/**/Images;--";
  const std::string images = "Images; drop table Folders; --";
  using Run = std::function<void(CatalogueConnection&, UserPort&, const Settings&)>;
  const std::tuple<const char*, bool, bool, Run> operations[] = {
      {"load the folder list", true, false, [](auto& c, auto& p, const auto& s) { LoadFolderEntries(c, p, s, false); }},
      {"add a folder", true, false,
       [&](auto& c, auto& p, const auto& s) { AddFolderToScan(c, p, s, false, (tree / "x").string(), {}); }},
      {"remove a folder", true, true,
       [&](auto& c, auto& p, const auto& s) { (void)RemoveFolderToScan(c, p, s, false, &entries[0]); }},
      {"scan", true, true,
       [&](auto& c, auto& p, const auto& s) { ScanFolders(c, p, s, false, tree / "x.ini", entries, {}); }},
      {"check", false, true, [&](auto& c, auto& p, const auto& s) { RunConsistencyCheck(c, p, s, false, entries); }},
      {"delete lines", false, true,
       [&](auto& c, auto& p, const auto& s) {
         std::vector<CheckedLine> lines{{folder, "a.jpg", FolderKeyText(entries[0].folder), "a.jpg"}};
         DeleteLinesWithoutFiles(c, p, s, false, lines);
       }},
      {"delete files", false, true,
       [&](auto& c, auto& p, const auto& s) {
         std::vector<CheckedFile> files{{folder, "b.txt", entries[0].folder.Bytes(), "b.txt"}};
         DeleteFilesWithoutLines(c, p, s, false, files);
       }},
  };
  for (const bool hostileFolders : {true, false}) {
    Settings settings;
    settings.dsn = "never-opened";
    settings.folders = hostileFolders ? folders : "Folders";
    settings.images = hostileFolders ? "Images" : images;
    for (const auto& [name, usesFolders, usesImages, run] : operations) {
      if (hostileFolders ? !usesFolders : !usesImages) continue;
      SCOPED_TRACE(std::string(name) + (hostileFolders ? ", folders name" : ", images name"));
      RecordingUserPort port;
      CatalogueConnection unused;
      run(unused, port, settings);
      EXPECT_TRUE(unused.ConnectString().empty());
      if (std::string_view(name) == "load the folder list") {
        EXPECT_TRUE(port.messages.empty());
        EXPECT_EQ(port.LastStatus(), "Invalid table name '" + folders + "': " + std::string(kTableNameRule));
      } else {
        ASSERT_EQ(port.messages.size(), 1u);
        EXPECT_EQ(port.messages[0].text, InvalidTableNameText(hostileFolders ? folders : images));
        EXPECT_EQ(port.events, (std::vector<std::string>{"message", "beep"}));
      }
    }
  }
  EXPECT_TRUE(std::filesystem::exists(tree / "b.txt"));
}

}  // namespace
}  // namespace tessarine::test
