#pragma once
// A file's companion rows from what was read of it.

#include "core/CompanionValues.h"
#include "metadata/MetadataRecord.h"

namespace tessarine {

// The facts of the taking from the EXIF directories of the file's structure (none without one),
// the IPTC Extension facts and the keywords from the record's IIM block and XMP packet: each flat
// keyword (IIM first, then dc:subject) and each level of each hierarchical one, once each. Texts
// are cut to their columns' widths at a character's boundary.
CompanionRow BuildCompanionRow(const MetadataRecord& record, const MetadataRecord* structure);

}  // namespace tessarine
