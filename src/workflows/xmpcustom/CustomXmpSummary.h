#pragma once
// The one-paragraph summary of the custom XMP definitions shown on the metadata tab.

#include <string>

#include "core/CustomXmpDefinition.h"

namespace tessarine {

// "Custom fields defined: " + properties + line break + "XMP Schemas defined: " + distinct
// namespaces, or "No custom fields defined" when no property is named.
std::string CustomXmpSummary(const CustomXmpDefinition& definition);

}  // namespace tessarine
