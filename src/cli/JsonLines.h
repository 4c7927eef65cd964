#pragma once
// The --json output of the commands: JSON Lines, one complete object a line, UTF-8. Tabs, line
// breaks and quotes inside a name are escaped by JSON itself, so a line is always one record; a
// text that is not UTF-8 has its bad bytes replaced by U+FFFD rather than ending the output.

#include <nlohmann/json.hpp>

#include <ostream>

namespace tessarine {

inline void WriteJsonLine(std::ostream& out, const nlohmann::ordered_json& object) {
  out << object.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace) << '\n';
}

}  // namespace tessarine
