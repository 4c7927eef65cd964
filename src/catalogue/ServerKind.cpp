#include "catalogue/ServerKind.h"

#include <algorithm>
#include <cctype>
#include <optional>
#include <string>

namespace tessarine {
namespace {

bool Names(std::string_view dbmsName, std::string_view word) {
  std::string lower(dbmsName);
  std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return std::tolower(c); });
  return lower.find(word) != std::string::npos;
}

// The kind a server's name says, when it is one with a kind of its own.
std::optional<DbmsKind> OwnKind(std::string_view dbmsName) {
  if (Names(dbmsName, "sqlite")) return DbmsKind::Sqlite;
  if (Names(dbmsName, "oracle")) return DbmsKind::Oracle;
  if (Names(dbmsName, "sql server")) return DbmsKind::SqlServer;
  return std::nullopt;
}

bool MySqlFamily(std::string_view dbmsName) { return Names(dbmsName, "mysql") || Names(dbmsName, "mariadb"); }

}  // namespace

bool KindFitsServer(DbmsKind kind, std::string_view dbmsName) {
  if (dbmsName.empty()) return true;
  const std::optional<DbmsKind> own = OwnKind(dbmsName);
  return own ? *own == kind : kind == DbmsKind::MySqlPostgreSqlEtc;
}

bool TableChangesRollBack(std::string_view dbmsName) {
  return dbmsName == "PostgreSQL" || dbmsName.find("SQLite") != std::string_view::npos ||
         dbmsName.find("SQL Server") != std::string_view::npos;
}

bool LikeFasterOverBytes(std::string_view dbmsName) { return MySqlFamily(dbmsName); }

bool KeywordFilesByKeyUnion(std::string_view dbmsName) { return MySqlFamily(dbmsName); }

bool BackslashMayEscape(std::string_view dbmsName) { return MySqlFamily(dbmsName); }

}  // namespace tessarine
