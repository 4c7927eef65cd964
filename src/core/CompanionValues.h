#pragma once
// What the catalogue keeps of a file beside its images row, in the images table's companion
// tables: the facts of its taking (when, with what, where), of what it shows and who licenses it,
// one row a file; and its keywords, flat and hierarchical, one row a keyword. Searches select by
// them; the images table stays as it is.

#include <array>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace tessarine {

enum class FactKind {
  Text,      // a short text: varchar(255)
  LongText,  // the dialect's long text
  Real,      // a number: the dialect's double
  Integer,   // a whole number
};

struct FactColumn {
  std::string_view name;
  FactKind kind;
};

// The facts table's columns after its keys, in table order.
inline constexpr std::array<FactColumn, 28> kFactColumns{{
    {"DateTaken", FactKind::Text},  // "YYYY-MM-DD HH:MM:SS", as the camera's clock said
    {"SubSecTaken", FactKind::Text},
    {"OffsetTaken", FactKind::Text},  // "+02:00"
    {"Make", FactKind::Text},
    {"Model", FactKind::Text},
    {"Lens", FactKind::Text},
    {"FocalLength", FactKind::Real},   // mm
    {"FNumber", FactKind::Real},
    {"ExposureTime", FactKind::Real},  // s
    {"ISO", FactKind::Integer},
    {"Orientation", FactKind::Integer},  // EXIF 1 to 8
    {"Latitude", FactKind::Real},        // signed decimal degrees, north and east positive
    {"Longitude", FactKind::Real},
    {"Altitude", FactKind::Real},  // metres, below sea level negative
    {"CreatedSublocation", FactKind::LongText},
    {"CreatedCity", FactKind::LongText},
    {"CreatedState", FactKind::LongText},
    {"CreatedCountry", FactKind::LongText},
    {"ShownSublocation", FactKind::LongText},  // each location shown, joined by "; "
    {"ShownCity", FactKind::LongText},
    {"ShownState", FactKind::LongText},
    {"ShownCountry", FactKind::LongText},
    {"PersonShown", FactKind::LongText},
    {"Event", FactKind::LongText},
    {"OrganisationShown", FactKind::LongText},
    {"Licensor", FactKind::LongText},
    {"ModelReleaseStatus", FactKind::LongText},
    {"DigitalSourceType", FactKind::LongText},  // as written: a term's URI
}};
inline constexpr std::size_t kFactCount = kFactColumns.size();

// A fact's index in kFactColumns.
namespace fact {
enum : std::size_t {
  DateTaken,
  SubSecTaken,
  OffsetTaken,
  Make,
  Model,
  Lens,
  FocalLength,
  FNumber,
  ExposureTime,
  Iso,
  Orientation,
  Latitude,
  Longitude,
  Altitude,
  CreatedSublocation,
  CreatedCity,
  CreatedState,
  CreatedCountry,
  ShownSublocation,
  ShownCity,
  ShownState,
  ShownCountry,
  PersonShown,
  Event,
  OrganisationShown,
  Licensor,
  ModelReleaseStatus,
  DigitalSourceType,
};
}  // namespace fact

// One text a fact, empty where the file does not say it (stored as NULL); a number in decimal.
using FactValues = std::array<std::string, kFactCount>;

// One keyword of a file: a flat keyword (depth 0, its own leaf), or one level of a hierarchical
// one: "Places|Norway|Oslo" gives "Places" (1), "Places|Norway" (2) and "Places|Norway|Oslo" (3),
// each with its last part as leaf, so that a search for a level finds everything below it.
struct KeywordEntry {
  std::string keyword;
  std::string leaf;
  int depth = 0;

  bool operator==(const KeywordEntry&) const = default;
};

// At most this many bytes a keyword or leaf (the width of their columns, in bytes on every server).
inline constexpr std::size_t kKeywordBytes = 255;
// At most this many keywords a file, levels included.
inline constexpr std::size_t kMaxKeywordEntries = 1'000;

struct CompanionRow {
  FactValues facts;
  std::vector<KeywordEntry> keywords;
  std::string contentHash;  // 32 hex digits of a hash of the file's bytes, when the scan hashes files

  bool HasFacts() const {
    for (const std::string& value : facts) {
      if (!value.empty()) return true;
    }
    return false;
  }
};

}  // namespace tessarine
