// The embedded catalogue of a first start and of tab 1: made once, never over what is there.

#include "workflows/connection/EmbeddedCatalogue.h"

#include <gtest/gtest.h>

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
  // The first value a query gives on the catalogue's own data source.
  std::string Value(const EmbeddedCatalogueFiles& files, const std::string& query) {
    connection.OpenConnection(DataSource{files.dataSource.string(), true, "", ""});
    const std::string value = connection.FirstValue(query).value_or("");
    connection.CloseConnection();
    return value;
  }
  std::filesystem::path ini() const { return dir / "Tessarine PRO.ini"; }

  TempDir dir;
  Settings settings;
  CatalogueConnection connection;
  RecordingUserPort port;
};

// Made at a first start; selected as it is once settings naming it are lost. Settings that ever
// named a data source, or cannot be read, are no first start.
TEST_F(EmbeddedCatalogue, AFirstStartMakesItAndSelectsItOnce) {
  EXPECT_TRUE(IsFirstStart(LoadSettings(ini())));
  const std::filesystem::path folder = dir / "data" / "tessarine-pro";
  const EmbeddedCatalogueFiles files = EmbeddedCatalogueIn(folder);
  const Expected<std::string> made = Prepare(folder);
  ASSERT_TRUE(made) << made.GetError().what();
  EXPECT_EQ(*made, "Created the catalogue " + files.database.string() +
                       " \u2014 to use a server database, set it up on tabs 1\u20133");
  EXPECT_EQ(Value(files, "select group_concat(name, ',') from (select name from sqlite_master where type = 'table' "
                         "order by name);"),
            "Folders,Images,Images_facts,Images_hashes,Images_keywords,Images_words");
  const Settings stored = LoadSettings(ini());
  EXPECT_EQ(stored.dsn, files.dataSource.string());
  EXPECT_TRUE(stored.fileDsn && stored.dsnStored && !IsFirstStart(stored));
  EXPECT_EQ(stored.dbms, DbmsKind::Sqlite);

  // A row in the catalogue, then its settings lost: the next start selects it as it is.
  Value(files, "insert into Folders (Folder) values ('/photos/');");
  std::filesystem::remove(ini());
  const Expected<std::string> again = Prepare(folder);
  ASSERT_TRUE(again) << again.GetError().what();
  EXPECT_EQ(again->rfind("Selected the catalogue " + files.database.string(), 0), 0U) << *again;
  EXPECT_EQ(Value(files, "select Folder from Folders;"), "/photos/");
  EXPECT_TRUE(port.messages.empty());
  WriteFile(ini(), "[Connection]\nDSN=\n");
  EXPECT_FALSE(IsFirstStart(LoadSettings(ini())));
  std::filesystem::remove(ini());
  std::filesystem::create_directory(ini());
  EXPECT_FALSE(IsFirstStart(LoadSettings(ini())));
}

// What stops it: each leaves the settings naming no data source and the thing at the name as it was.
TEST_F(EmbeddedCatalogue, RefusesWhatItMustNotWriteOver) {
  std::filesystem::create_directories(dir / "linked");
  WriteFile(dir / "victim", "precious");
  std::filesystem::create_symlink(dir / "victim", dir / "linked" / "catalogue.sqlite");
  std::filesystem::create_directories(dir / "odd" / "catalogue.dsn");
  const std::pair<const char*, const char*> cases[] = {
      {"linked", "is a link: no catalogue is prepared there"},
      {"odd", "is not a file: no catalogue is prepared there"},
      {"a;b", "holds a character a data source cannot carry"},  // the data source would split the path
  };
  for (const auto& [folder, said] : cases) {
    port.messages.clear();
    ASSERT_FALSE(Prepare(dir / folder)) << folder;
    ASSERT_EQ(port.messages.size(), 1U);
    EXPECT_NE(port.messages[0].text.find(said), std::string::npos) << port.messages[0].text;
    EXPECT_FALSE(LoadSettings(ini()).dsnStored);
  }
  EXPECT_EQ(ReadFile(dir / "victim"), "precious");
  EXPECT_FALSE(std::filesystem::exists(dir / "a;b" / "catalogue.sqlite"));
}

}  // namespace
}  // namespace tessarine::test
