#pragma once
// The few statement pieces that differ between kinds of database server. Nothing else of the
// program tests the kind.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "core/DbmsKind.h"
#include "core/TableName.h"

namespace tessarine {

enum class KeyLength { Characters, InBytes, Unbounded };

struct SqlDialect {
  std::string_view testQuery;
  std::string_view firstRowsPrefix;  // FirstRowsQuery = prefix + table + suffix
  std::string_view firstRowsSuffix;
  std::optional<std::string_view> transactionStart;  // nullopt: no statement is sent at all
  std::optional<std::string_view> transactionEnd;
  std::string_view longTextType;
  std::string_view modifyTimeType;
  // The rows of one page after an "order by": a clause with two marks, the row count and the number
  // of rows skipped, in the order countFirst says.
  std::string_view pageClause;
  bool countFirst;
  // Around a long-text column that is compared, sorted or changed by a function (SQL Server's
  // "text" allows none of these).
  std::string_view comparableOpen;
  std::string_view comparableClose;
  // True when LIKE itself ignores the case of ASCII letters (SQLite): a search then leaves out the
  // lower() on both sides, which costs SQLite two thirds of a search's time.
  bool likeIgnoresAsciiCase;
  // How the server measures a key column's varchar(255): in characters, in bytes (the varchar of
  // SQL Server and, by default, Oracle), or not at all (SQLite keeps any length).
  KeyLength keyLength;
  // SQL Server renames a table through its procedure sp_rename, the others by "alter table".
  bool renameByProcedure;
  // The most bytes of a long text the program makes itself (a row's folded words): what the
  // dialect's longTextType holds on every server of its kind (MariaDB's and MySQL's "text": 65,535).
  std::size_t longTextBytes;
  // What a key of the words table does when its images row goes or is renamed (Oracle knows no
  // "on update").
  std::string_view keyFollowsRow;
  // The first rows of a select, in no order: "select " + topClause + list ... + limitClause, each
  // holding one mark for the row count (SQL Server's "top", the others' clause at the end).
  std::string_view topClause;
  std::string_view limitClause;
  // "insert or replace" takes the place of a row of the same key in one statement (SQLite).
  bool insertOrReplace;
  // Rows are sent several to an insert, "values(...),(...)": on a server each statement is a round
  // trip. Not on SQLite, whose driver took 24 rows in one statement slower than one by one.
  bool multiRowInsert;
  // The files holding a keyword are counted as sets read off one index each (see CountMatches):
  // MariaDB's plan for the one-statement form looks every match up again.
  bool countsKeywordFilesBySets;
  // A count reads the files a companion index gives first (a place's, else a keyword's),
  // "(Folder, FileName) in (select ...)", where "exists" makes SQLite test each row of the images
  // table for it (see CompanionSearch).
  bool countsFromCompanionKeys;

  // The column as such an expression: open + name + close.
  std::string Comparable(std::string_view column) const;

  std::string TestQuery() const { return std::string(testQuery); }
  // The verify tab's query: the first 20 rows of the images table, named as it stands.
  std::string FirstRowsQuery(const TableName& imagesTable) const;
};

// The dialect of a kind; a pure function of the kind.
const SqlDialect& SqlDialectFor(DbmsKind kind);

// The caption of the kind's option on the database tab.
std::string_view DbmsCaption(DbmsKind kind);

}  // namespace tessarine
