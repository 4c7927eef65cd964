#pragma once
// A catalogue of its own on each real database, both tables created, and a tree under
// "it's photos" to fill and scan.

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <map>
#include <set>
#include <vector>

#include "catalogue/CatalogueStatements.h"
#include "catalogue/CompanionStatements.h"
#include "catalogue/ScanStatements.h"
#include "core/FileSystemFaults.h"
#include "core/ImageColumns.h"
#include "core/WindowTitle.h"
#include "support/DatabaseFixture.h"
#include "support/ValidName.h"
#include "workflows/folders/FolderList.h"
#include "workflows/scan/ScanDriver.h"
#include "workflows/verify/ConsistencyCheck.h"

namespace tessarine::test {

class CatalogueFixture : public DatabaseFixture {
 protected:
  void SetUp() override {
    DatabaseFixture::SetUp();
    if (IsSkipped() || HasFailure()) return;
    m_settings = SettingsOfDb();
    m_settings.folders = Table("F");
    m_settings.images = Table("I");
    CatalogueConnection& c = Open();
    c.SendStatement(FoldersTableStatement(ValidName(m_settings.folders)));
    c.SendStatement(ImagesTableStatement(ValidName(m_settings.images), Dialect()));
    m_root = m_tree.path() / "it's photos";
    std::filesystem::create_directories(m_root);
  }

  // Adds a folder through the folder-list operation and returns the list as loaded.
  std::vector<FolderEntry> AddAndLoad(const std::filesystem::path& folder) {
    const auto load = LoadFolderEntries(connection, port, m_settings, false);
    EXPECT_EQ(AddFolderToScan(connection, port, m_settings, false, folder.string(), load.entries).outcome,
              AddFolderOutcome::Inserted)
        << DescribeMessages();
    return LoadFolderEntries(connection, port, m_settings, false).entries;
  }

  // Scans every entry, all ticked; without entries, every entry of the list. The problems it tells
  // are kept in m_problems.
  ScanResult Scan(std::vector<FolderEntry> entries = {}, ScanHooks hooks = {}) {
    if (entries.empty()) entries = LoadFolderEntries(connection, port, m_settings, false).entries;
    for (auto& e : entries) e.checked = true;
    hooks.problem = [this](const std::string& text) { m_problems.push_back(text); };
    return ScanFolders(connection, port, m_settings, false, m_tree / "Tessarine PRO.ini", entries, hooks);
  }

  void ScanAll() { ASSERT_TRUE(Scan().status) << DescribeMessages(); }

  // The check of every entry of the list.
  CheckResult Check(const CheckHooks& hooks = {}) {
    const auto entries = LoadFolderEntries(connection, port, m_settings, false).entries;
    return RunConsistencyCheck(connection, port, m_settings, false, entries, hooks);
  }

  // A row as a scan writes it, every column given, empty unless named; on the open connection.
  void Insert(const std::string& folder, const std::string& file,
              const std::map<std::size_t, std::string>& values = {}) {
    ColumnValues row;
    row[col::Folder] = folder;
    row[col::FileName] = file;
    row[col::ModifyTime] = "1";
    for (const auto& [column, value] : values) row[column] = value;
    if (!connection.IsOpen()) Open();
    connection.Send(InsertImageRow(ValidName(m_settings.images), row));
    if (m_words) connection.Send(InsertWordsRow(*m_words, row, Dialect().longTextBytes));
  }

  std::string Text(const std::filesystem::path& p) { return FolderKey::FromPath(p.string()).Text(); }

  // Every row a query gives (on a connection of its own), keyed by its Folder and FileName fields.
  std::map<std::string, std::vector<std::string>> Rows(const SqlStatement& query, const char* null = "") {
    std::map<std::string, std::vector<std::string>> rows;
    Open();
    for (auto result = connection.ExecuteStatement(query); result && !result->IsEof(); result->MoveNext()) {
      std::vector<std::string> values;
      for (std::size_t i = 0; i < result->FieldCount(); ++i) values.push_back(result->FieldValue(i).value_or(null));
      rows[values[col::Folder] + values[col::FileName]] = values;
    }
    connection.CloseConnection();
    return rows;
  }

  // The first field of the first row a query gives, "" when none.
  std::string Scalar(const SqlStatement& query) {
    const std::string value = Open().FirstValue(query).value_or("");
    connection.CloseConnection();
    return value;
  }
  std::string Count(const std::string& table) { return Scalar("select count(*) from " + table + ";"); }
  // The rows of the images table, of one folder, or of one file.
  long long RowCount(const std::optional<std::filesystem::path>& folder = std::nullopt, const std::string& name = "") {
    SqlStatement count("select count(*) from " + m_settings.images + " where 1=1");
    if (folder) count.text += " and Folder=?", count.Bind(Text(*folder));
    if (!name.empty()) count.text += " and FileName=?", count.Bind(name);
    return std::stoll(Scalar(count));
  }

  // Makes the images table's facts, keywords and hashes tables.
  void MakeCompanionTables(const std::string& images) {
    for (const CompanionTable& table : CompanionTablesOf(ValidName(images), Dialect())) {
      for (const std::string& statement : table.statements) Open().SendStatement(statement);
    }
  }

  // A companion row as text: its fields joined by "|", NULL as "(null)", a number in its shortest
  // decimal form (servers give 35 back as "35" or "35.0").
  static std::string CompanionText(const std::vector<std::string>& fields) {
    std::string text;
    for (const std::string& field : fields) {
      char* end = nullptr;
      const double number = field.empty() ? 0 : std::strtod(field.c_str(), &end);
      char shortest[32];
      std::snprintf(shortest, sizeof shortest, "%.10g", number);
      text += (text.empty() ? "" : "|") + (end != nullptr && *end == '\0' ? std::string(shortest) : field);
    }
    return text;
  }
  // The rows of the images table's facts, keywords and hashes tables, each as CompanionText.
  std::multiset<std::string> CompanionRows(const std::string& images) {
    std::multiset<std::string> rows;
    Open();
    for (const TableName& table : {FactsTableName(ValidName(images)), KeywordsTableName(ValidName(images)),
                                   HashesTableName(ValidName(images))}) {
      for (auto result = connection.ExecuteStatement("select * from " + table.Text() + ";"); result && !result->IsEof();
           result->MoveNext()) {
        std::vector<std::string> fields;
        for (std::size_t i = 0; i < result->FieldCount(); ++i) fields.push_back(result->FieldValue(i).value_or("(null)"));
        rows.insert(CompanionText(fields));
      }
    }
    connection.CloseConnection();
    return rows;
  }

  TempDir m_tree;
  std::filesystem::path m_root;
  Settings m_settings;
  std::optional<TableName> m_words;  // the images table's words table, when the test made it
  std::vector<std::string> m_problems;
};

}  // namespace tessarine::test
