#pragma once
// Words SQL keeps for itself: a table name the statements write bare must not be one of them.

#include <string_view>

namespace tessarine {

// True when the word, in any case, is reserved by the SQL standard or by one of the servers a
// catalogue may live on.
bool IsSqlReservedWord(std::string_view word);

}  // namespace tessarine
