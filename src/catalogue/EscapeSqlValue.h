#pragma once

#include <string>
#include <string_view>

namespace tessarine {

// Makes a value safe inside a '...' SQL literal: every "'" is doubled and every "\" becomes "/"
// (MySQL and MariaDB read "\" as an escape character). The program's only protection of literals.
std::string EscapeSqlValue(std::string_view value);

}  // namespace tessarine
