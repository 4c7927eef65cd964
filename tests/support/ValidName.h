#pragma once
// A table name the test means to be valid; an invalid one throws (std::bad_optional_access) and
// fails the test at once.

#include <string_view>

#include "core/TableName.h"

namespace tessarine::test {

inline TableName ValidName(std::string_view text) { return TableName::Of(text).value(); }

}  // namespace tessarine::test
