#pragma once
// Where statements whose rows nobody reads are sent (the scan's inserts, the transaction words).
// The catalogue connection is one; tests put a fake in its place to make a statement fail.

#include <string_view>

namespace tessarine {

class StatementSink {
 public:
  virtual ~StatementSink() = default;
  // Sends one statement; throws DatabaseError when the server or the driver refuses it.
  virtual void SendStatement(std::string_view sql) = 0;
};

}  // namespace tessarine
