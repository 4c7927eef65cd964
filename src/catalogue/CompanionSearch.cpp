#include "catalogue/CompanionSearch.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

#include "catalogue/SearchStatements.h"

namespace tessarine {
namespace {

constexpr double kKilometresPerDegree = 111.32;  // of latitude, and of longitude at the equator
constexpr double kPi = 3.14159265358979323846;

std::string Decimal(double value) {
  char text[40];
  std::snprintf(text, sizeof text, "%.12g", value);
  return text;
}

// "exists (select 1 from <table> t where t.Folder = <outer>.Folder and t.FileName = <outer>.FileName"
void OpenExists(SqlStatement& statement, const TableName& table, std::string_view outer) {
  const std::string o(outer);
  statement.text += "exists (select 1 from " + table.Text() + " t where t.Folder = " + o + ".Folder and t.FileName = " +
                    o + ".FileName";
}

void AppendContains(SqlStatement& statement, const SqlDialect& dialect, const std::string& column,
                    const std::string& word) {
  const std::string compared = dialect.Comparable(column);
  statement.text += dialect.likeIgnoresAsciiCase ? compared + " like ? escape '!'"
                                                 : "lower(" + compared + ") like lower(?) escape '!'";
  statement.Bind(ContainsPattern(word));
}

// Within the box around the place (which an index on the position can serve), then within its
// radius on the plane that touches the earth there: exact enough for the distances one searches by.
void AppendNear(SqlStatement& statement, const NearPlace& place) {
  const double latitudeSpan = place.kilometres / kKilometresPerDegree;
  const double longitudeScale = kKilometresPerDegree * std::cos(place.latitude * kPi / 180);
  statement.text += " and t.Latitude between ? and ?";
  statement.BindReal(Decimal(std::max(-90.0, place.latitude - latitudeSpan)))
      .BindReal(Decimal(std::min(90.0, place.latitude + latitudeSpan)));
  const double longitudeSpan = longitudeScale > 1e-6 ? place.kilometres / longitudeScale : 360;
  const bool crossesAntimeridian = std::abs(place.longitude) + longitudeSpan > 180;
  if (!crossesAntimeridian) {
    statement.text += " and t.Longitude between ? and ?";
    statement.BindReal(Decimal(place.longitude - longitudeSpan)).BindReal(Decimal(place.longitude + longitudeSpan));
  }
  // Across the 180th meridian the place is also looked for a turn of the earth east and west.
  const std::vector<double> centres = crossesAntimeridian
                                          ? std::vector<double>{place.longitude, place.longitude - 360, place.longitude + 360}
                                          : std::vector<double>{place.longitude};
  statement.text += " and (";
  for (std::size_t i = 0; i < centres.size(); ++i) {
    statement.text += i == 0 ? "" : " or ";
    statement.text += "(t.Latitude - ?) * (t.Latitude - ?) * ? + (t.Longitude - ?) * (t.Longitude - ?) * ? <= ?";
    statement.BindReal(Decimal(place.latitude))
        .BindReal(Decimal(place.latitude))
        .BindReal(Decimal(kKilometresPerDegree * kKilometresPerDegree))
        .BindReal(Decimal(centres[i]))
        .BindReal(Decimal(centres[i]))
        .BindReal(Decimal(longitudeScale * longitudeScale))
        .BindReal(Decimal(place.kilometres * place.kilometres));
  }
  statement.text += ")";
}

void AppendFactTerms(SqlStatement& statement, const SqlDialect& dialect, const CompanionConditions& conditions) {
  // DateTaken reads "CCYY-MM-DD HH:MM:SS": a day's bounds compare as text in time order.
  if (conditions.takenFrom) {
    statement.text += " and t.DateTaken >= ?";
    statement.Bind(*conditions.takenFrom);
  }
  if (conditions.takenTo) {
    statement.text += " and t.DateTaken <= ?";
    statement.Bind(*conditions.takenTo + " 99");
  }
  for (const std::string& word : conditions.cameraWords) {
    statement.text += " and (";
    AppendContains(statement, dialect, "t.Make", word);
    statement.text += " or ";
    AppendContains(statement, dialect, "t.Model", word);
    statement.text += " or ";
    AppendContains(statement, dialect, "t.Lens", word);
    statement.text += ")";
  }
  if (conditions.near) AppendNear(statement, *conditions.near);
  if (conditions.digitalSource) {
    statement.text += " and ";
    AppendContains(statement, dialect, "t.DigitalSourceType", *conditions.digitalSource);
  }
}

void AppendKeywordTerm(SqlStatement& statement, const std::string& keyword) {
  statement.text += " and (t.Keyword = ? or t.Leaf = ?)";
  statement.Bind(keyword).Bind(keyword);
}

// The hashes held twice or more are found in one pass over the hash index, not once a row.
void AppendCopiesTerm(SqlStatement& statement, const CompanionConditions& conditions) {
  const std::string& hashes = conditions.hashesTable->Text();
  statement.text +=
      " and t.ContentHash in (select ContentHash from " + hashes + " group by ContentHash having count(*) > 1)";
}

}  // namespace

void AppendCompanionConditions(SqlStatement& statement, const SqlDialect& dialect,
                               const CompanionConditions& conditions, std::string_view outer, bool counting) {
  bool first = true;
  const auto next = [&] {
    if (!first) statement.text += " and ";
    first = false;
  };
  const std::string o(outer);
  const auto openKeyList = [&](const TableName& table) {
    statement.text += "(" + o + ".Folder, " + o + ".FileName) in (select t.Folder, t.FileName from " + table.Text() +
                      " t where 1 = 1";
  };
  // SQLite counts fastest from the files it reads off one index first (a year taken and a keyword
  // over 10^5 rows: 0.41 s testing each row, 0.03 s so). A place's box is the narrowest of them (a
  // place, a years' range, a keyword and words: 0.16 s from the keyword's files, 0.05 s from the
  // place's; a box around every position: 0.12 s); a range of dates or a camera may be held by most
  // files. A page walks the images table in its order and stops at its last row.
  const bool keyLists = counting && dialect.countsFromCompanionKeys;
  const bool placeList = keyLists && conditions.near;
  if (conditions.AnyFact()) {
    next();
    if (placeList) {
      openKeyList(*conditions.factsTable);
    } else {
      OpenExists(statement, *conditions.factsTable, outer);
    }
    AppendFactTerms(statement, dialect, conditions);
    statement.text += ")";
  }
  for (const std::string& keyword : conditions.keywords) {
    next();
    const std::string& keywords = conditions.keywordsTable->Text();
    if (conditions.keywordFilesByUnion) {
      statement.text += "(" + o + ".Folder, " + o + ".FileName) in (select d.Folder, d.FileName from (select t.Folder, " +
                        "t.FileName from " + keywords + " t where t.Keyword = ? union select t.Folder, t.FileName from " +
                        keywords + " t where t.Leaf = ?) d)";
      statement.Bind(keyword).Bind(keyword);
      continue;
    }
    if (keyLists && !placeList) {
      openKeyList(*conditions.keywordsTable);
    } else {
      OpenExists(statement, *conditions.keywordsTable, outer);
    }
    AppendKeywordTerm(statement, keyword);
    statement.text += ")";
  }
  if (conditions.withCopies) {
    next();
    OpenExists(statement, *conditions.hashesTable, outer);
    AppendCopiesTerm(statement, conditions);
    statement.text += ")";
  }
}

std::optional<TableName> SoleCompanionTable(const CompanionConditions& conditions) {
  const bool facts = conditions.AnyFact();
  const bool keyword = !conditions.keywords.empty();
  if (facts + keyword + conditions.withCopies != 1 || conditions.keywords.size() > 1) return std::nullopt;
  return facts ? conditions.factsTable : keyword ? conditions.keywordsTable : conditions.hashesTable;
}

void AppendSoleTableTerms(SqlStatement& statement, const SqlDialect& dialect, const CompanionConditions& conditions) {
  if (conditions.AnyFact()) AppendFactTerms(statement, dialect, conditions);
  if (conditions.withCopies) AppendCopiesTerm(statement, conditions);
  if (conditions.keywords.empty()) return;
  // A file's first keyword row that matches, and no later one: each file once, with no "distinct"
  // (which MariaDB sorts through a table on disk for keys this wide).
  const std::string& keyword = conditions.keywords.front();
  AppendKeywordTerm(statement, keyword);
  statement.text += " and not exists (select 1 from " + conditions.keywordsTable->Text() +
                    " u where u.Folder = t.Folder and u.FileName = t.FileName and u.Item < t.Item and (u.Keyword = ? "
                    "or u.Leaf = ?))";
  statement.Bind(keyword).Bind(keyword);
}

}  // namespace tessarine
