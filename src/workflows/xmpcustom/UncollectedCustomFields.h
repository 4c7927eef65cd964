#pragma once
// Custom XMP fields the scan passes over: a stored definition whose column is not one of
// XMPCustom01..XMPCustom100 (typed by hand into an older editor, or into the settings file), or
// whose name no XPath step can hold. Their values would be lost without a word; the editor shows
// these when it opens and every scan tells them before it starts.

#include <string>
#include <vector>

#include "core/CustomXmpDefinition.h"
#include "core/UserPort.h"

namespace tessarine {

// One line per named field of a defined schema (one with a description) that the scan does not
// collect, in schema and slot order.
std::vector<std::string> UncollectedCustomFields(const CustomXmpDefinition& definition);

// Shows them in one exclamation message; nothing when every named field is collected.
void WarnOfUncollectedCustomFields(UserPort& port, const CustomXmpDefinition& definition);

}  // namespace tessarine
