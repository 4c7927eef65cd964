#pragma once
// The conditions a search sets on the images table's companion tables (see CompanionRow): when,
// with what and where a photo was taken, its keywords, its digital source. Every value is bound.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "catalogue/SqlDialect.h"
#include "catalogue/SqlStatement.h"
#include "core/TableName.h"

namespace tessarine {

// A circle on the earth: its centre in signed decimal degrees, its radius in kilometres.
struct NearPlace {
  double latitude = 0;
  double longitude = 0;
  double kilometres = 0;
};

struct CompanionConditions {
  std::optional<TableName> factsTable;     // the catalogue's, where it has one
  std::optional<TableName> keywordsTable;
  std::optional<std::string> takenFrom;  // "CCYY-MM-DD": taken on that day or later
  std::optional<std::string> takenTo;    // taken on that day or earlier
  std::vector<std::string> cameraWords;  // each occurs in Make, Model or Lens (ASCII case ignored)
  std::optional<NearPlace> near;
  std::vector<std::string> keywords;  // each is a keyword of the file, a level of one, or its leaf
  std::optional<std::string> digitalSource;  // occurs in DigitalSourceType (ASCII case ignored)
  std::optional<TableName> hashesTable;
  bool withCopies = false;  // another file has the same content hash
  // The keyword's files are read as the union of the keys its two indexes hold (see
  // KeywordFilesByKeyUnion); where many hold it, walking the images table in order is faster.
  bool keywordFilesByUnion = false;

  bool AnyFact() const { return takenFrom || takenTo || !cameraWords.empty() || near || digitalSource; }
  bool Any() const { return AnyFact() || !keywords.empty() || withCopies; }
};

// "exists (select 1 from <facts> ... ) and exists (select 1 from <keywords> ...) and ..." for the
// rows of `outer` (the images table's name or alias in the statement), in the form a count is
// fastest with when `counting`; appends nothing without a condition. The tables the conditions need
// must be set.
void AppendCompanionConditions(SqlStatement& statement, const SqlDialect& dialect,
                               const CompanionConditions& conditions, std::string_view outer, bool counting);

// The companion table every condition lies in, where they lie in one: the facts (fact conditions
// alone), the keywords (one keyword alone) or the hashes (copies alone). Each of its rows belongs to
// one images row (its key follows theirs), so the matches can be counted and listed from that
// table alone: its rows "t" for which AppendSoleTableTerms holds, one a match.
std::optional<TableName> SoleCompanionTable(const CompanionConditions& conditions);

// " and ..." on the rows "t" of the SoleCompanionTable.
void AppendSoleTableTerms(SqlStatement& statement, const SqlDialect& dialect, const CompanionConditions& conditions);

}  // namespace tessarine
