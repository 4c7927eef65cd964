#include "metadata/containers/XmpMerge.h"

#include <string>

namespace tessarine {
namespace {

// What the packet gives the companion rows fills what the record lacks; its IIM keywords stay.
void MergeCompanions(CompanionTexts& into, CompanionTexts& parsed) {
  if (into.subjects.empty()) into.subjects = std::move(parsed.subjects);
  if (into.hierarchy.empty()) into.hierarchy = std::move(parsed.hierarchy);
  for (std::size_t f = 0; f < kFactCount; ++f) {
    if (into.extension[f].empty()) into.extension[f] = std::move(parsed.extension[f]);
  }
}

}  // namespace

void ParseXmpInto(const XmpParser& parser, std::string_view packet, MetadataRecord& record, std::string_view source) {
  MetadataRecord parsed;
  if (auto error = parser.Read(packet, parsed)) {
    record.xmpState = XmpState::ParseError;
    std::string message = ParseErrorMessage(*error);
    if (!source.empty()) message = std::string(source) + ": " + message;
    record.problems.push_back(message);
    record.alerts.push_back({ReadAlert::Kind::XmpParseError, std::move(message)});
    return;
  }
  record.xmp = std::move(parsed.xmp);
  record.problems.insert(record.problems.end(), parsed.problems.begin(), parsed.problems.end());
  record.copyrightStatus = parsed.copyrightStatus;
  record.custom = std::move(parsed.custom);
  MergeCompanions(record.companions, parsed.companions);
  record.xmpState = XmpState::Parsed;
}

void MergeExtendedXmp(const XmpParser& parser, std::string_view extension, MetadataRecord& record) {
  MetadataRecord parsed;
  if (auto error = parser.Read(extension, parsed)) {
    record.problems.push_back("extended XMP: " + ParseErrorMessage(*error));
    return;
  }
  for (std::size_t c = 0; c < record.xmp.size(); ++c) {
    if (record.xmp[c].empty()) record.xmp[c] = std::move(parsed.xmp[c]);
  }
  for (std::size_t n = 0; n < record.custom.size(); ++n) {
    if (record.custom[n].empty()) record.custom[n] = std::move(parsed.custom[n]);
  }
  if (record.copyrightStatus == 0) record.copyrightStatus = parsed.copyrightStatus;
  MergeCompanions(record.companions, parsed.companions);
}

}  // namespace tessarine
