// The embedded catalogue of a first start and of tab 1: made once, never over what is there.

#include "workflows/connection/EmbeddedCatalogue.h"

#include <gtest/gtest.h>

#include <functional>

#include "core/IniFile.h"
#include "support/RecordingUserPort.h"
#include "support/TempDir.h"

namespace tessarine::test {
namespace {

class EmbeddedCatalogue : public ::testing::Test {
 protected:
  Expected<std::string> Prepare(const std::filesystem::path& folder) {
    settings = LoadSettings(ini());
    return PrepareEmbeddedCatalogue(connection, port, settings, ini(), folder);
  }
  // The tables' names, as the catalogue's own connection sees them.
  std::string Tables(const EmbeddedCatalogueFiles& files) {
    connection.OpenConnection(DataSource{files.dataSource.string(), true, "", ""});
    std::string names = connection.FirstValue("select group_concat(name, ',') from (select name from sqlite_master "
                                              "where type = 'table' order by name);")
                            .value_or("");
    connection.CloseConnection();
    return names;
  }
  std::filesystem::path ini() const { return dir / "Tessarine PRO.ini"; }

  TempDir dir;
  Settings settings;
  CatalogueConnection connection;
  RecordingUserPort port;
};

TEST_F(EmbeddedCatalogue, AFirstStartMakesItAndSelectsItOnce) {
  const std::filesystem::path folder = dir / "data" / "tessarine-pro";
  const EmbeddedCatalogueFiles files = EmbeddedCatalogueIn(folder);
  const Expected<std::string> made = Prepare(folder);
  ASSERT_TRUE(made) << made.GetError().what();
  EXPECT_EQ(*made, "Created the catalogue " + files.database.string() +
                       " \u2014 to use a server database, set it up on tabs 1\u20133");
  EXPECT_EQ(Tables(files), "Folders,Images");
  const Settings stored = LoadSettings(ini());
  EXPECT_EQ(stored.dsn, files.dataSource.string());
  EXPECT_TRUE(stored.fileDsn && stored.dsnStored && !IsFirstStart(stored));
  EXPECT_EQ(stored.dbms, DbmsKind::Sqlite);

  // A row in the catalogue, then its settings lost: the next start selects it as it is.
  connection.OpenConnection(DataSource{files.dataSource.string(), true, "", ""});
  connection.Send("insert into Folders (Folder) values ('/photos/');");
  connection.CloseConnection();
  std::filesystem::remove(ini());
  const Expected<std::string> again = Prepare(folder);
  ASSERT_TRUE(again) << again.GetError().what();
  EXPECT_EQ(again->rfind("Selected the catalogue " + files.database.string(), 0), 0U) << *again;
  connection.OpenConnection(DataSource{files.dataSource.string(), true, "", ""});
  EXPECT_EQ(connection.FirstValue("select Folder from Folders;"), "/photos/");
  connection.CloseConnection();
  EXPECT_TRUE(port.messages.empty());
}

// What stops it: each leaves the settings naming no data source and the thing at the name as it was.
TEST_F(EmbeddedCatalogue, RefusesWhatItMustNotWriteOver) {
  struct Case {
    const char* what;
    std::function<std::filesystem::path()> arrange;  // gives the folder
    const char* said;
  };
  const Case cases[] = {
      {"a link at the database's name",
       [&] {
         std::filesystem::create_directories(dir / "linked");
         WriteFile(dir / "victim", "precious");
         std::filesystem::create_symlink(dir / "victim", dir / "linked" / "catalogue.sqlite");
         return dir / "linked";
       },
       "is a link: no catalogue is prepared there"},
      {"a folder at the data source's name",
       [&] {
         std::filesystem::create_directories(dir / "odd" / "catalogue.dsn");
         return dir / "odd";
       },
       "is not a file: no catalogue is prepared there"},
      {"a \";\" the data source would split the path at",
       [&] { return dir / "a;b"; }, "holds a character a data source cannot carry"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    port.messages.clear();
    const Expected<std::string> refused = Prepare(c.arrange());
    ASSERT_FALSE(refused);
    ASSERT_EQ(port.messages.size(), 1U);
    EXPECT_NE(port.messages[0].text.find(c.said), std::string::npos) << port.messages[0].text;
    EXPECT_FALSE(LoadSettings(ini()).dsnStored);
  }
  EXPECT_EQ(ReadFile(dir / "victim"), "precious");
  EXPECT_FALSE(std::filesystem::exists(dir / "a;b" / "catalogue.sqlite"));
}

// Settings that ever named a data source, or cannot be read, are no first start.
TEST_F(EmbeddedCatalogue, FirstStartOnlyWithoutADataSourceEverNamed) {
  WriteFile(ini(), "[Connection]\nDSN=\n");
  EXPECT_FALSE(IsFirstStart(LoadSettings(ini())));
  std::filesystem::remove(ini());
  std::filesystem::create_directory(ini());
  EXPECT_FALSE(IsFirstStart(LoadSettings(ini())));
  std::filesystem::remove(ini());
  EXPECT_TRUE(IsFirstStart(LoadSettings(ini())));
}

}  // namespace
}  // namespace tessarine::test
