#pragma once
// The checks the custom XMP editor runs on "Save", in order, stopping at the first failure.

#include <string>
#include <string_view>
#include <vector>

#include "core/CustomXmpDefinition.h"

namespace tessarine {

// The captions of the editor's labels, which the messages quote.
inline constexpr std::string_view kNameSpaceCaption = "Namespace";
inline constexpr std::string_view kPrefixCaption = "Prefix";
inline constexpr std::string_view kDbFieldNameCaption = "Database Field name";

// Prefixes the standard schemas already use; compared case-sensitively.
inline constexpr std::string_view kReservedPrefixes[] = {"x",   "rdf", "iX",        "pdf",   "photoshop",
                                                         "xap", "dc",  "xapRights", "xapMM", "Iptc4xmpCore"};

struct CustomXmpCheckResult {
  // Empty when every check passed; otherwise the status-box text of the first failure.
  std::string message;
  // prefix + ":" + column box text of every bound row checked, sorted (the duplicate test's list).
  std::vector<std::string> controlEntries;

  bool Passed() const { return message.empty(); }
};

// boxes: the editor's texts as typed; column boxes hold the full column name.
CustomXmpCheckResult CheckCustomXmpBoxes(const CustomXmpDefinition& boxes);

}  // namespace tessarine
