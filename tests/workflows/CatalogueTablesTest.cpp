// The tables tab's actions: name checks and the statement display need no database; creating the
// tables runs on every real database.

#include "workflows/connection/CatalogueTables.h"

#include "catalogue/CatalogueStatements.h"
#include "core/ImageColumns.h"
#include "core/IniFile.h"
#include "core/WindowTitle.h"
#include "support/DatabaseFixture.h"
#include "support/ValidName.h"

namespace tessarine::test {
namespace {

const std::string kInvalidTableName = "Invalid table name\r\n" + std::string(kTableNameRule);

class TableActions : public ::testing::Test {
 protected:
  TempDir folder;
  RecordingUserPort port;
  CatalogueConnection connection;
  Settings settings;
  TableNameBoxes boxes{"Folders", "Images"};
  std::filesystem::path ini() const { return folder / "Tessarine PRO.ini"; }
};

TEST_F(TableActions, NameWithASpaceIsRejectedAndNothingIsSaved) {
  boxes.images = "My Pics";
  CreateTableRequest request{CatalogueTable::Images, false, ini(), nullptr};
  EXPECT_EQ(CreateCatalogueTable(connection, port, settings, boxes, request), CreateTableOutcome::InvalidName);
  ASSERT_EQ(port.messages.size(), 1u);
  EXPECT_EQ(port.messages[0].text, kInvalidTableName);
  EXPECT_EQ(port.messages[0].icon, MessageIcon::Exclamation);
  EXPECT_EQ(port.messages[0].title, kWindowTitle);
  EXPECT_EQ(port.events, (std::vector<std::string>{"message", "beep"}));
  EXPECT_EQ(settings.images, "Images");
  EXPECT_FALSE(std::filesystem::exists(ini()));
  EXPECT_FALSE(DisplayTableStatement(port, settings, boxes, CatalogueTable::Images).has_value());
  EXPECT_TRUE(port.statuses.empty());  // no connection was attempted
}

TEST_F(TableActions, NamesAreTrimmedInTheBoxAndTheSettingsAndABlankOneIsRejected) {
  boxes.folders = "  Dirs ";
  EXPECT_EQ(AcceptTableName(port, settings, boxes, CatalogueTable::Folders), ValidName("Dirs"));
  EXPECT_EQ(boxes.folders, "Dirs");
  EXPECT_EQ(settings.folders, "Dirs");
  EXPECT_TRUE(port.messages.empty());
  boxes.folders = "   ";
  EXPECT_FALSE(AcceptTableName(port, settings, boxes, CatalogueTable::Folders).has_value());
  EXPECT_EQ(boxes.folders, "");
  EXPECT_EQ(port.messages.at(0).text, kInvalidTableName);
}

TEST_F(TableActions, DisplayShowsOnlyTheCreateStatementAndSavesNothing) {
  settings.dbms = DbmsKind::Oracle;
  boxes.images = " Pics";
  const auto shown = DisplayTableStatement(port, settings, boxes, CatalogueTable::Images);
  ASSERT_TRUE(shown.has_value());
  EXPECT_EQ(shown->caption, "SQL statement to create table 'Pics'");
  EXPECT_EQ(shown->statement, ImagesTableStatement(ValidName("Pics"), SqlDialectFor(DbmsKind::Oracle)));
  EXPECT_FALSE(std::filesystem::exists(ini()));
  EXPECT_TRUE(port.statuses.empty());  // no connection was attempted
}

TEST_F(TableActions, AnsweringNoChangesNothing) {
  port.answerYes = false;
  int reloads = 0;
  CreateTableRequest request{CatalogueTable::Images, false, ini(), [&] { ++reloads; }};
  EXPECT_EQ(CreateCatalogueTable(connection, port, settings, boxes, request), CreateTableOutcome::Declined);
  ASSERT_EQ(port.messages.size(), 1u);
  EXPECT_EQ(port.messages[0].text, "Table 'Images' and its content will be removed\r\nPlease confirm");
  EXPECT_EQ(port.messages[0].icon, MessageIcon::Question);
  EXPECT_EQ(port.messages[0].buttons, MessageButtons::YesNo);
  EXPECT_TRUE(port.statuses.empty());
  EXPECT_EQ(reloads, 0);
  EXPECT_FALSE(std::filesystem::exists(ini()));
}

TEST_F(TableActions, ImagesListIsReloadedEvenWhenTheConnectionFails) {
  int reloads = 0;
  CreateTableRequest request{CatalogueTable::Images, false, ini(), [&] { ++reloads; }};
  EXPECT_TRUE(CreateCatalogueTable(connection, port, settings, boxes, request).Is(ErrorKind::NoDataSource));
  EXPECT_EQ(reloads, 1);
  EXPECT_EQ(port.busyDepth, 0);
  EXPECT_FALSE(std::filesystem::exists(ini()));  // the names are saved only once connected
}

class CreateTablesOnDb : public DatabaseFixture {
 protected:
  void SetUp() override {
    DatabaseFixture::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    settings = SettingsOfDb();
    boxes = {Table("Folders"), Table("Images")};
  }
  Expected<CreateTableOutcome> Create(CatalogueTable table) {
    return CreateCatalogueTable(connection, port, settings, boxes,
                                {table, false, m_folder / "Tessarine PRO.ini", [this] { ++reloads; }});
  }
  Settings settings;
  TableNameBoxes boxes;
  int reloads = 0;
};
TESSARINE_ON_EVERY_DATABASE(CreateTablesOnDb);

TEST_P(CreateTablesOnDb, CreatesTheFoldersTableAndRecreatingItDropsTheRows) {
  for (int time = 0; time < 2; ++time) {
    EXPECT_EQ(Create(CatalogueTable::Folders), CreateTableOutcome::Created);
    ASSERT_EQ(port.messages.size(), time + 1u) << DescribeMessages();  // only the question: a drop error is ignored
    EXPECT_FALSE(connection.IsOpen());
    Open();
    EXPECT_EQ(QueryValue("select count(*) from " + boxes.folders + ";"), "0");
    connection.SendStatement("insert into " + boxes.folders +
                             " (Folder,Files,LastScan) values ('/a/','3','2024-01-02 03:04:05');");
    EXPECT_EQ(QueryValue("select LastScan from " + boxes.folders + ";"), "2024-01-02 03:04:05");
    connection.CloseConnection();
  }
  EXPECT_EQ(reloads, 0);
  EXPECT_EQ(ReadSetting(m_folder / "Tessarine PRO.ini", "Database", "Folders"), boxes.folders);
}

TEST_P(CreateTablesOnDb, CreatesTheImagesTableWithAll166ColumnsAndItsIndex) {
  EXPECT_EQ(Create(CatalogueTable::Images), CreateTableOutcome::Created);
  EXPECT_EQ(port.messages.size(), 1u) << DescribeMessages();
  EXPECT_EQ(reloads, 1);
  Open();
  auto rows = connection.ExecuteStatement("select * from " + boxes.images + ";");
  ASSERT_NE(rows, nullptr);
  EXPECT_EQ(rows->FieldCount(), kImageColumnCount);
  EXPECT_TRUE(rows->IsEof());
  // The index is there: creating it again fails.
  EXPECT_THROW(connection.SendStatement(ImagesIndexStatement(ValidName(boxes.images))), DatabaseError);
}

TEST_P(CreateTablesOnDb, ACreateErrorIsReportedAndTheListStillReloads) {
  // A view holds the name: the server refuses the table.
  Open();
  connection.SendStatement("create view " + boxes.images + " as select 1 as x;");
  connection.CloseConnection();
  const Expected<CreateTableOutcome> created = Create(CatalogueTable::Images);
  Open();
  connection.SendStatement("drop view " + boxes.images + ";");
  connection.CloseConnection();
  EXPECT_TRUE(created.Is(ErrorKind::Database));
  ASSERT_EQ(port.messages.size(), 2u);
  EXPECT_TRUE(port.messages[1].text.starts_with("Error ")) << port.messages[1].text;
  EXPECT_EQ(port.messages[1].icon, MessageIcon::Exclamation);
  EXPECT_EQ(port.events.back(), "beep");
  EXPECT_EQ(reloads, 1);
  EXPECT_FALSE(connection.IsOpen());
  EXPECT_EQ(port.busyDepth, 0);
}

}  // namespace
}  // namespace tessarine::test
