#pragma once

#include <cstdint>

namespace tessarine {

// The kind of database server; the numbers are the values stored in the settings file.
enum class DbmsKind : std::int16_t {
  MySqlPostgreSqlEtc = 0,
  Oracle = 1,
  SqlServer = 2,
  Sqlite = 3,  // the embedded catalogue
};

}  // namespace tessarine
