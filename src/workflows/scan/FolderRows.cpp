#include "workflows/scan/FolderRows.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <span>
#include <vector>

#include "catalogue/CompanionStatements.h"
#include "catalogue/ScanStatements.h"
#include "catalogue/ServerFailure.h"

namespace tessarine {
namespace {

struct StoredKey {
  std::string folder;
  std::string file;
  std::vector<std::string> more;  // the further columns the select names
};

std::vector<StoredKey> StoredKeys(CatalogueConnection& connection, const SqlStatement& select) {
  std::vector<StoredKey> keys;
  auto rows = connection.ExecuteStatement(select, CursorChoice::ForwardOnly);
  for (; rows && !rows->IsEof(); rows->MoveNext()) {
    StoredKey& key = keys.emplace_back(StoredKey{rows->FieldValue(0).value_or(""), rows->FieldValue(1).value_or(""), {}});
    for (std::size_t i = 2; i < rows->FieldCount(); ++i) key.more.push_back(rows->FieldValue(i).value_or(""));
  }
  return keys;
}

}  // namespace

FolderRows::FolderRows(CatalogueConnection& connection, const TableName& imagesTable,
                       const CompanionTables& companionTables, const SqlDialect& dialect, const FolderKey& folder,
                       RowWriting writing)
    : m_connection(connection),
      m_imagesTable(imagesTable),
      m_tables(companionTables),
      m_wordsBytes(dialect.longTextBytes),
      m_wordsReplace(dialect.insertOrReplace),
      m_multiRowInsert(dialect.multiRowInsert),
      m_folderKey(FolderKeyText(folder)),
      m_savepoints(FailedStatementSpoilsTransaction(connection)),
      m_rowSavepoints(writing == RowWriting::Careful && TakesSavepoints(connection)),
      m_gatherCompanions(writing != RowWriting::Careful) {
  for (StoredKey& key : StoredKeys(connection, SelectFolderRows(imagesTable, m_folderKey))) {
    m_folderHadRows = true;
    if (key.folder != m_folderKey) continue;
    if (key.more.size() == 3) m_stamps[key.file] = {key.more[0], key.more[1], key.more[2]};
    m_stored.insert(std::move(key.file));
  }
  m_batched = writing == RowWriting::InBatches && dialect.multiRowInsert && !m_folderHadRows;
  // Companion rows whose images row went without them (deleted by a writer that left SQLite's
  // foreign keys off) would stand in the way of the rows written now.
  if (dialect.insertOrReplace) {
    for (const std::optional<TableName>& table : {m_tables.facts, m_tables.keywords, m_tables.hashes}) {
      if (table) m_connection.Send(DeleteOrphanRows(*table, imagesTable, m_folderKey));
    }
  }
  // Only where the former form is not a folder of its own: its rows are then this folder's.
  if (HasFormerKeyText(m_folderKey)) {
    struct stat info {};
    const std::string formerPath = FormerKeyText(folder.Bytes());
    if (::lstat(formerPath.c_str(), &info) != 0 && (errno == ENOENT || errno == ENOTDIR)) {
      m_formerFolderKey = FormerKeyText(m_folderKey);
      for (StoredKey& key : StoredKeys(connection, SelectFolderRows(imagesTable, *m_formerFolderKey))) {
        if (key.folder == *m_formerFolderKey) m_formerStored.insert(std::move(key.file));
      }
    }
  }
}

template <typename Work>
void FolderRows::UnderSavepoint(bool use, Work work) {
  if (!use) {
    work();
    return;
  }
  m_connection.SendStatement("savepoint tessarine_row;");
  try {
    work();
  } catch (const DatabaseError&) {
    m_connection.SendStatement("rollback to savepoint tessarine_row;");
    m_connection.SendStatement("release savepoint tessarine_row;");
    throw;
  }
  m_connection.SendStatement("release savepoint tessarine_row;");
}

std::optional<std::string> FolderRows::Write(const ColumnValues& columns, const CompanionRow& companions) {
  const std::string name = KeyText(columns[col::FileName]);
  if (m_written.contains(name)) return "another file of this folder has a name that reads as the same text";

  if (m_batched) {
    // The folder held no row: every key is new.
    m_batch.push_back(columns);
    GatherCompanions(columns, companions);
    m_written.insert(name);
    m_stored.insert(name);
    if (m_batch.size() >= kRowsPerBatch) {
      SendImageBatch();
      SendCompanions(false);
    }
    return std::nullopt;
  }
  std::optional<std::string> refused;
  const auto write = [&] {
    bool inserted = false;
    refused = WriteImageRow(columns, name, inserted);
    if (!refused) WriteCompanionRows(columns, companions, inserted);
  };
  UnderSavepoint(m_rowSavepoints, write);
  if (refused) return refused;
  m_written.insert(name);
  m_stored.insert(name);
  return std::nullopt;
}

std::optional<std::string> FolderRows::WriteImageRow(const ColumnValues& columns, const std::string& name,
                                                     bool& inserted) {
  // The fast paths: a folder the server holds no row for, and a name stored exactly as it is.
  if (!m_folderHadRows) {
    m_connection.SendPrepared(InsertImageRow(m_imagesTable, columns));
    inserted = true;
    return std::nullopt;
  }
  if (m_stored.contains(name)) {
    m_connection.SendPrepared(UpdateImageRow(m_imagesTable, columns));
    if (m_connection.ChangedRows() != 0) return std::nullopt;
  }
  // Ask the server which rows it takes this key for: none, this file's own (perhaps spelt
  // differently), or a row this scan wrote for another file.
  const std::vector<StoredKey> matched = StoredKeys(m_connection, SelectImageRow(m_imagesTable, m_folderKey, name));
  for (const StoredKey& key : matched) {
    if (key.folder != m_folderKey || m_written.contains(key.file)) {
      return "the database takes its name for that of " + key.folder + key.file;
    }
  }
  if (matched.empty()) {
    m_connection.SendPrepared(InsertImageRow(m_imagesTable, columns));
    inserted = true;
    return std::nullopt;
  }
  m_connection.SendPrepared(UpdateImageRow(m_imagesTable, columns));
  // The row now holds this spelling of the name; the old spelling no longer names a row.
  for (const StoredKey& key : matched) m_stored.erase(key.file);
  return std::nullopt;
}

void FolderRows::WriteCompanionRows(const ColumnValues& columns, const CompanionRow& companions, bool inserted) {
  // Whatever the key held (rows of this key written without them, or spelt otherwise where the
  // server ignores letter case) gives way to the row's own. A key that held no images row holds no
  // companion rows where the server keeps their foreign keys; SQLite keeps them only for a writer
  // that asks: "insert or replace" there takes the place of any words left behind, and the other
  // rows left behind were deleted when the folder began.
  if (GathersWords()) {
    m_wordsRows.push_back(columns);
    SendWords(false);
  } else if (m_tables.words) {
    if (!inserted && !m_wordsReplace) m_connection.SendPrepared(DeleteKeyRows(*m_tables.words, columns));
    m_connection.SendPrepared(InsertWordsRow(*m_tables.words, columns, m_wordsBytes, m_wordsReplace));
  }
  if (m_tables.facts && !inserted) m_connection.SendPrepared(DeleteKeyRows(*m_tables.facts, columns));
  if (m_tables.keywords && !inserted) m_connection.SendPrepared(DeleteKeyRows(*m_tables.keywords, columns));
  if (m_tables.hashes && !inserted) m_connection.SendPrepared(DeleteKeyRows(*m_tables.hashes, columns));
  if (m_gatherCompanions) {
    GatherCompanions(columns, companions);
    SendCompanions(false);
    return;
  }
  const KeyedCompanions row{columns[col::Folder], columns[col::FileName], companions};
  if (m_tables.facts) {
    for (const SqlStatement& insert : InsertFactsRows(*m_tables.facts, {&row, 1}, m_wordsBytes, kValuesPerBatch)) {
      m_connection.SendPrepared(insert);
    }
  }
  if (m_tables.keywords) {
    // A file's keywords in a few statements to a server; to an embedded catalogue one by one, which
    // costs less there than reading a statement of several.
    const std::size_t values = m_multiRowInsert ? kValuesPerBatch : kKeywordRowValues;
    for (const SqlStatement& insert : InsertKeywordsRows(*m_tables.keywords, {&row, 1}, values)) {
      m_connection.SendPrepared(insert);
    }
  }
  if (m_tables.hashes) {
    for (const SqlStatement& insert : InsertHashRows(*m_tables.hashes, {&row, 1}, kValuesPerBatch)) {
      m_connection.SendPrepared(insert);
    }
  }
}

void FolderRows::GatherCompanions(const ColumnValues& columns, const CompanionRow& companions) {
  if (!m_tables.AnyBesideWords()) return;
  m_companions.push_back({columns[col::Folder], columns[col::FileName], companions});
  m_companionValues += (companions.HasFacts() ? kFactsRowValues : 0) + companions.keywords.size() * kKeywordRowValues +
                       (companions.contentHash.empty() ? 0 : kHashRowValues);
}

void FolderRows::SendBatch() {
  SendImageBatch();
  SendWords(true);
  SendCompanions(true);
}

void FolderRows::SendWords(bool all) {
  if (m_wordsRows.empty() || (!all && m_wordsRows.size() < kWordsRowsPerStatement)) return;
  const std::vector<ColumnValues> rows = std::move(m_wordsRows);
  m_wordsRows.clear();
  for (std::size_t at = 0; at < rows.size(); at += kWordsRowsPerStatement) {
    const std::span<const ColumnValues> some =
        std::span(rows).subspan(at, std::min(kWordsRowsPerStatement, rows.size() - at));
    m_connection.SendPrepared(InsertWordsRows(*m_tables.words, some, m_wordsBytes, true));
  }
}

void FolderRows::SendImageBatch() {
  if (m_batch.empty()) return;
  const std::vector<ColumnValues> batch = std::move(m_batch);
  m_batch.clear();
  m_connection.SendPrepared(InsertImageRows(m_imagesTable, batch));
  if (m_tables.words) {
    m_connection.SendPrepared(InsertWordsRows(*m_tables.words, batch, m_wordsBytes, m_wordsReplace));
  }
}

void FolderRows::SendCompanions(bool all) {
  if (m_companions.empty() || (!all && m_companionValues < kValuesPerBatch)) return;
  const std::vector<KeyedCompanions> rows = std::move(m_companions);
  m_companions.clear();
  m_companionValues = 0;
  // Their statements take a few numbers of rows: each text is prepared once for the scan.
  if (m_tables.facts) {
    for (const SqlStatement& insert : InsertFactsRows(*m_tables.facts, rows, m_wordsBytes, kValuesPerBatch)) {
      m_connection.SendPrepared(insert);
    }
  }
  if (m_tables.keywords) {
    for (const SqlStatement& insert : InsertKeywordsRows(*m_tables.keywords, rows, kValuesPerBatch)) {
      m_connection.SendPrepared(insert);
    }
  }
  if (m_tables.hashes) {
    for (const SqlStatement& insert : InsertHashRows(*m_tables.hashes, rows, kValuesPerBatch)) {
      m_connection.SendPrepared(insert);
    }
  }
}

void FolderRows::Keep(const std::string& fileNameText) {
  m_kept.insert(KeyText(fileNameText));
  if (HasFormerKeyText(fileNameText)) m_kept.insert(FormerKeyText(fileNameText));
}

bool FolderRows::RowMatches(const std::string& fileNameText, const ColumnValues& fileFacts) const {
  const auto stamp = m_stamps.find(KeyText(fileNameText));
  return stamp != m_stamps.end() && !stamp->second.size.empty() && stamp->second.size == fileFacts[col::FileSize] &&
         stamp->second.date == fileFacts[col::FileLastWriteDate] && stamp->second.time == fileFacts[col::FileLastWriteTime];
}

long long FolderRows::DeleteRowsOfGoneFiles() {
  long long deleted = 0;
  for (const std::string& name : m_stored) {
    if (m_written.contains(name) || m_kept.contains(name)) continue;
    UnderSavepoint(m_savepoints, [&] {
      // The delete hits every row the server matches to the key: only when all of them are rows
      // of gone files.
      for (const StoredKey& key : StoredKeys(m_connection, SelectImageRow(m_imagesTable, m_folderKey, name))) {
        if (key.folder != m_folderKey || m_written.contains(key.file) || m_kept.contains(key.file)) return;
      }
      m_connection.Send(DeleteImageRow(m_imagesTable, m_folderKey, name));
      deleted += std::max(m_connection.ChangedRows(), 0LL);
    });
  }
  if (!m_formerFolderKey) return deleted;
  std::set<std::string> replaced;
  for (const std::string& name : m_written) replaced.insert(FormerKeyText(name));
  for (const std::string& name : m_formerStored) {
    if (!replaced.contains(name)) continue;  // a file not written again keeps its row
    UnderSavepoint(m_savepoints, [&] {
      for (const StoredKey& key : StoredKeys(m_connection, SelectImageRow(m_imagesTable, *m_formerFolderKey, name))) {
        if (key.folder != *m_formerFolderKey || !replaced.contains(key.file)) return;
      }
      m_connection.Send(DeleteImageRow(m_imagesTable, *m_formerFolderKey, name));
      deleted += std::max(m_connection.ChangedRows(), 0LL);
    });
  }
  return deleted;
}

}  // namespace tessarine
