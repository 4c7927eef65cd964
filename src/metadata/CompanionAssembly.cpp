#include "metadata/CompanionAssembly.h"

#include <cmath>
#include <cstdio>
#include <set>
#include <utility>

#include "core/CalendarDigits.h"
#include "core/ValueBound.h"

namespace tessarine {
namespace {

// A hierarchy deeper than this keeps its first levels.
constexpr std::size_t kMaxKeywordDepth = 32;

std::string Number(const std::optional<double>& value) {
  if (!value || !std::isfinite(*value)) return {};
  char text[32];
  std::snprintf(text, sizeof text, "%.10g", *value);
  return text;
}

// "YYYY-MM-DD HH:MM:SS" naming a moment a clock can show: not a camera's "0000:00:00 00:00:00" for
// no date, nor a February 30 or an hour 25, which a search by day would take for real ones.
bool IsMomentTaken(std::string_view text) {
  if (text.size() != 19 || text[4] != '-' || text[7] != '-' || text[10] != ' ' || text[13] != ':' ||
      text[16] != ':') {
    return false;
  }
  const int year = DigitsValue(text, 0, 4);
  const int month = DigitsValue(text, 5, 2);
  const int day = DigitsValue(text, 8, 2);
  const int hour = DigitsValue(text, 11, 2);
  const int minute = DigitsValue(text, 14, 2);
  const int second = DigitsValue(text, 17, 2);
  return year >= 1 && month >= 1 && month <= 12 && day >= 1 && day <= DaysInMonth(year, month) && hour >= 0 &&
         hour <= 23 && minute >= 0 && minute <= 59 && second >= 0 && second <= 60;
}

std::string Trimmed(std::string_view text) {
  const std::size_t first = text.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  return std::string(text.substr(first, text.find_last_not_of(" \t") - first + 1));
}

class KeywordList {
 public:
  explicit KeywordList(std::vector<KeywordEntry>& entries) : m_entries(entries) {}

  void Add(std::string keyword, std::string leaf, int depth) {
    if (keyword.empty() || m_entries.size() >= kMaxKeywordEntries) return;
    CutToBound(keyword, kKeywordBytes);
    CutToBound(leaf, kKeywordBytes);
    if (!m_seen.emplace(depth, keyword).second) return;
    m_entries.push_back({std::move(keyword), std::move(leaf), depth});
  }

  // "Places|Norway|Oslo": each level, its parts trimmed and the empty ones left out.
  void AddHierarchy(std::string_view path) {
    std::string level;
    int depth = 0;
    while (static_cast<std::size_t>(depth) < kMaxKeywordDepth) {
      const std::size_t bar = path.find('|');
      const std::string part = Trimmed(path.substr(0, bar));
      if (!part.empty()) {
        level += (level.empty() ? "" : "|") + part;
        Add(level, part, ++depth);
      }
      if (bar == std::string_view::npos) return;
      path.remove_prefix(bar + 1);
    }
  }

 private:
  std::vector<KeywordEntry>& m_entries;
  std::set<std::pair<int, std::string>> m_seen;
};

}  // namespace

CompanionRow BuildCompanionRow(const MetadataRecord& record, const MetadataRecord* structure) {
  CompanionRow row;
  FactValues& facts = row.facts;
  facts = record.companions.extension;
  if (structure != nullptr) {
    const ExifFacts& exif = structure->exif;
    if (IsMomentTaken(exif.dateTaken)) {
      facts[fact::DateTaken] = exif.dateTaken;
      facts[fact::SubSecTaken] = exif.subSecondsTaken;
      facts[fact::OffsetTaken] = exif.offsetTaken;
    }
    facts[fact::Make] = exif.make;
    facts[fact::Model] = exif.model;
    facts[fact::Lens] = exif.lens;
    facts[fact::FocalLength] = Number(exif.focalLength);
    facts[fact::FNumber] = Number(exif.fNumber);
    facts[fact::ExposureTime] = Number(exif.exposureTime);
    facts[fact::Iso] = exif.iso ? std::to_string(*exif.iso) : std::string();
    facts[fact::Orientation] = structure->orientation > 0 ? std::to_string(structure->orientation) : std::string();
    // A position off the earth is none.
    if (exif.latitude && exif.longitude && std::abs(*exif.latitude) <= 90 && std::abs(*exif.longitude) <= 180) {
      facts[fact::Latitude] = Number(exif.latitude);
      facts[fact::Longitude] = Number(exif.longitude);
    }
    facts[fact::Altitude] = Number(exif.altitude);
  }
  for (std::size_t f = 0; f < kFactCount; ++f) {
    CutToBound(facts[f], kFactColumns[f].kind == FactKind::Text ? kKeywordBytes : kMaxValueBytes);
  }

  KeywordList keywords(row.keywords);
  for (const std::string& keyword : record.companions.iimKeywords) keywords.Add(Trimmed(keyword), Trimmed(keyword), 0);
  for (const std::string& keyword : record.companions.subjects) keywords.Add(keyword, keyword, 0);
  for (const std::string& path : record.companions.hierarchy) keywords.AddHierarchy(path);
  return row;
}

}  // namespace tessarine
