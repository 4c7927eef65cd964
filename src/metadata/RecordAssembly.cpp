#include "metadata/RecordAssembly.h"

#include <algorithm>
#include <array>

namespace tessarine {
namespace {

constexpr std::array<std::size_t, 21> kXmpSourced{
    col::ObjectName, col::Urgency,       col::Category,      col::SupplementalCategory,
    col::Keywords,   col::SpecialInstructions, col::CreatedDate, col::CreatedTime,
    col::Byline,     col::BylineTitle,   col::City,          col::Location,
    col::ProvinceState, col::Country,    col::OriginalTransmissionReference, col::Headline,
    col::Credit,     col::Source,        col::Copyright,     col::Caption,
    col::CaptionWriter};

}  // namespace

bool HasXmpSource(std::size_t column) {
  return std::find(kXmpSourced.begin(), kXmpSourced.end(), column) != kXmpSourced.end();
}

void AssembleColumns(const MetadataRecord& record, bool xmpOverIptc, ColumnValues& columns,
                     bool keepIimWhenXmpMissing) {
  const bool preferXmp = xmpOverIptc && record.xmpState == XmpState::Parsed;
  for (std::size_t c = kFirstIimColumn; c <= kLastIimColumn; ++c) {
    const bool fromXmp = preferXmp && HasXmpSource(c) && !(keepIimWhenXmpMissing && record.xmp[c].empty());
    columns[c] = fromXmp ? record.xmp[c] : record.iim[c];
  }
  columns[col::XMPCopyrightStatus] = record.copyrightStatus == 1 ? "1" : record.copyrightStatus == 2 ? "2" : "";
  for (std::size_t c = col::XMPWebStatement; c <= col::CoreCountryCode; ++c) columns[c] = record.xmp[c];
  columns[col::SupportIPTC] = record.supportIptc;
  for (std::size_t n = 1; n <= kCustomColumnCount; ++n) columns[CustomColumnIndex(n)] = record.custom[n - 1];

  // What the reading beyond the classic rules gives fills only the columns they left empty.
  if (!record.beyondClassic) return;
  ColumnValues more;
  AssembleColumns(*record.beyondClassic, xmpOverIptc, more, keepIimWhenXmpMissing);
  for (std::size_t c = col::ObjectName; c <= col::CoreCountryCode; ++c) {
    if (columns[c].empty()) columns[c] = std::move(more[c]);
  }
  for (std::size_t n = 1; n <= kCustomColumnCount; ++n) {
    const std::size_t c = CustomColumnIndex(n);
    if (columns[c].empty()) columns[c] = std::move(more[c]);
  }
}

}  // namespace tessarine
