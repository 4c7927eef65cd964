#pragma once
// Where statements whose rows nobody reads are sent (the transaction words, the folder list's
// changes). The catalogue connection is one.

#include <string_view>

#include "catalogue/SqlStatement.h"

namespace tessarine {

class StatementSink {
 public:
  virtual ~StatementSink() = default;
  // Sends one statement; throws DatabaseError when the server or the driver refuses it.
  virtual void Send(const SqlStatement& statement) = 0;
  // A statement without values.
  void SendStatement(std::string_view sql) { Send(SqlStatement(std::string(sql))); }
};

}  // namespace tessarine
