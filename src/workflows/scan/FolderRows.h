#pragma once
// The rows of one folder while the scan writes it: a file's row is replaced only once the file has
// been read, and the rows of files gone from the folder are deleted only after the whole folder
// was listed. Keys are compared as the server compares them (it may ignore letter case or
// accents): a row is never overwritten or deleted because another name matches it. A row's words,
// facts and keywords, where the catalogue has their tables, are written with it; they go with it
// when it is deleted.

#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "catalogue/CatalogueConnection.h"
#include "catalogue/CompanionStatements.h"
#include "catalogue/SqlDialect.h"
#include "core/CompanionValues.h"
#include "core/FolderKey.h"
#include "core/ImageColumns.h"
#include "core/TableName.h"

namespace tessarine {

// How a folder's rows are written.
enum class RowWriting {
  // One by one, each under a savepoint of its own where the database takes them: a refusal costs
  // that row only, and the whole row (its images row, words and companion rows, never half of it).
  Careful,
  // One by one without savepoints: there a refusal spoils the folder's transaction.
  Plain,
  // As Plain, and the rows of a folder that held none gathered and sent kRowsPerBatch in one
  // statement where the dialect allows (multiRowInsert): a refusal may then be any row of a batch.
  InBatches,
};

// The images table's companion tables the catalogue has.
struct CompanionTables {
  std::optional<TableName> words;
  std::optional<TableName> facts;
  std::optional<TableName> keywords;
  std::optional<TableName> hashes;

  bool AnyBesideWords() const { return facts || keywords || hashes; }
};

class FolderRows {
 public:
  // At most this many values a batch: psqlODBC loses its footing in a statement of more than about
  // 8,000 parameters.
  static constexpr std::size_t kValuesPerBatch = 4'000;
  static constexpr std::size_t kRowsPerBatch = kValuesPerBatch / kImageColumnCount;

  // Reads the names the folder's rows hold now. Throws DatabaseError. A row's words take at most the
  // dialect's longTextBytes.
  FolderRows(CatalogueConnection& connection, const TableName& imagesTable, const CompanionTables& companionTables,
             const SqlDialect& dialect, const FolderKey& folder, RowWriting writing = RowWriting::Careful);
  FolderRows(const FolderRows&) = delete;
  FolderRows& operator=(const FolderRows&) = delete;

  // Replaces (or adds) the row of the file named in the columns. Returns why it was not written
  // when another file already holds that key; throws DatabaseError when the server refused it
  // (in a careful walk where the database takes savepoints, the row's is rolled back first).
  std::optional<std::string> Write(const ColumnValues& columns, const CompanionRow& companions = {});
  // Sends the rows gathered for a batch (see RowWriting::InBatches) and every words and companion row
  // gathered; Write sends each full batch, the folder's last one is sent by this. Throws
  // DatabaseError: none of the batch's rows is then written, and the rows Write took since the folder
  // began may not all be in the table.
  void SendBatch();
  bool Batched() const { return m_batched; }
  // Rows or their companion rows go several in a statement: a refusal may be another row's.
  bool SendsSeveral() const {
    return m_batched || (m_gatherCompanions && (m_tables.AnyBesideWords() || GathersWords()));
  }
  // The file is there but was not read: its row, if any, stays as it is (a row an earlier version
  // stored with "/" for each "\" of its name too).
  void Keep(const std::string& fileNameText);
  // Whether the folder's row of the file (by its name's text, exactly as stored) holds this size and
  // last write: a file that matches has not changed since it was read.
  bool RowMatches(const std::string& fileNameText, const ColumnValues& fileFacts) const;
  // Deletes the rows whose files the folder no longer holds, and the rows an earlier version stored
  // under the folder's former key for files written again now; call only once every file of a
  // completely listed folder has been written or kept. Returns the rows deleted. Throws.
  long long DeleteRowsOfGoneFiles();

 private:
  // The work under a savepoint when `use`: a refusal rolls back all the work did.
  template <typename Work>
  void UnderSavepoint(bool use, Work work);
  // Writes the row; returns why not when another file holds its key. `inserted`: the key held no
  // row before.
  std::optional<std::string> WriteImageRow(const ColumnValues& columns, const std::string& name, bool& inserted);
  // The row's words, facts, keywords and hash, in place of any its key held unless it was just
  // inserted.
  void WriteCompanionRows(const ColumnValues& columns, const CompanionRow& companions, bool inserted);
  // The gathered rows and their words; then the companion rows gathered, when they are many or `all`.
  void SendImageBatch();
  void GatherCompanions(const ColumnValues& columns, const CompanionRow& companions);
  void SendCompanions(bool all);
  // Words rows are gathered too where "insert or replace" writes them (SQLite, whose driver compiles
  // each statement each time it runs: kWordsRowsPerStatement rows are compiled as one statement).
  bool GathersWords() const { return m_gatherCompanions && m_tables.words && m_wordsReplace; }
  void SendWords(bool all);
  static constexpr std::size_t kWordsRowsPerStatement = 64;

  CatalogueConnection& m_connection;
  const TableName& m_imagesTable;
  const CompanionTables& m_tables;
  std::size_t m_wordsBytes;
  bool m_wordsReplace;  // a words row is written by "insert or replace"
  bool m_multiRowInsert;
  std::string m_folderKey;
  bool m_savepoints;     // the server's transaction is spoilt by a refused statement
  bool m_rowSavepoints;  // rows are written under savepoints (a careful walk where the database takes them)
  // Companion rows are gathered and sent several in a statement, but in a careful walk (where each
  // row's refusal must cost that row only).
  bool m_gatherCompanions;
  bool m_batched = false;
  std::vector<ColumnValues> m_batch;  // rows gathered, not yet sent
  // The companion rows gathered (see m_gatherCompanions), over several batches where rows are sent
  // in batches (a statement of theirs holds fewer values a row): sent after their images rows, at the
  // latest with the folder's last batch (SendBatch).
  std::vector<KeyedCompanions> m_companions;
  std::vector<ColumnValues> m_wordsRows;  // gathered (see GathersWords), not yet sent
  std::size_t m_companionValues = 0;
  bool m_folderHadRows = false;     // the server matched rows to the folder's key
  std::set<std::string> m_stored;   // FileName keys of the rows stored for exactly this folder
  std::set<std::string> m_written;  // keys whose rows this scan wrote
  std::set<std::string> m_kept;     // keys of files found but not read
  struct Stamp {
    std::string size;
    std::string date;
    std::string time;
  };
  std::map<std::string, Stamp> m_stamps;  // FileName as stored -> what the row says of its file
  // The folder's key as earlier versions stored it ("/" for each "\"), when that form names no
  // folder on disk, and the FileName keys stored under it: rows replaced as their files are written.
  std::optional<std::string> m_formerFolderKey;
  std::set<std::string> m_formerStored;
};

}  // namespace tessarine
