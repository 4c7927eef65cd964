#pragma once

#include "metadata/MetadataRecord.h"

namespace tessarine {

// The final text of every metadata column (ObjectName..CoreCountryCode, SupportIPTC and the
// custom columns) from the IIM and XMP values of the record. With xmpOverIptc, the 21 columns
// that have an XMP source take their XMP value, empty or not, whenever a packet was parsed;
// a file without a parsed packet keeps its IIM values.
// keepIimWhenXmpMissing: with XMP preferred, a column whose XMP value is empty takes the IIM one.
// A record read beyond the classic rules fills, from that reading, only the columns left empty.
void AssembleColumns(const MetadataRecord& record, bool xmpOverIptc, ColumnValues& columns,
                     bool keepIimWhenXmpMissing = false);

// True for the 21 IIM columns that an XMP property can override.
bool HasXmpSource(std::size_t column);

}  // namespace tessarine
