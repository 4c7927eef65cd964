#pragma once
// The fields an audit can require of every photo, named as people name them.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "catalogue/MissingFields.h"
#include "core/CustomXmpDefinition.h"

namespace tessarine {

// The field a name means, letter case ignored: a text column of the images table ("Byline",
// "XMPCustom07") or the view's title of one ("Title", a custom property's name), the name IIM or
// XMP gives a column ("CopyrightNotice", "Creator", "Description"), a column of the facts table
// ("DateTaken", "Make", "Latitude", "PersonShown"), or "Keyword": any keyword, flat or
// hierarchical. Nothing for any other name.
std::optional<RequiredField> FindRequiredField(std::string_view name, const CustomXmpDefinition& custom);

// The names of a list separated by commas, semicolons or blanks, in order, each once (letter case
// ignored), empty ones dropped.
std::vector<std::string> SplitFieldNames(std::string_view text);

// Said when a name is none of the fields.
std::string UnknownFieldMessage(std::string_view name);

}  // namespace tessarine
