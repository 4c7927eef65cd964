#pragma once
// Parsing packets found beyond the classic rules into a record.

#include <string_view>

#include "metadata/MetadataRecord.h"
#include "metadata/XmpParser.h"

namespace tessarine {

// Parses the packet and, when it parses, sets the record's XMP values, copyright status, custom
// values and state; else the record's state says ParseError and its problems and alerts say why
// (prefixed with `source` when given), and its values stay.
void ParseXmpInto(const XmpParser& parser, std::string_view packet, MetadataRecord& record,
                  std::string_view source = {});

// A JPEG's extension packet completes the main one: each value the main packet lacks is taken
// from the extension, none that it has is changed.
void MergeExtendedXmp(const XmpParser& parser, std::string_view extension, MetadataRecord& record);

}  // namespace tessarine
