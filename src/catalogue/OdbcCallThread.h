#pragma once
// The thread on which a connection's driver calls that wait for the server run, so that the caller
// can stop waiting. psqlODBC and MariaDB Connector/ODBC hand the statement time-out to the server,
// which cannot apply it once it stops answering, and SQLCancel then waits for that server too. A
// call that does not return in time is left running: the driver manager would hold every later
// call on its connection behind it anyway. What must still touch that connection's handles
// (freeing them) is queued behind the call, and the thread ends after the queue once its owner
// has gone.

#include <sql.h>

#include <chrono>
#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <thread>

#include "core/DatabaseError.h"

namespace tessarine {

class OdbcCallThread {
 public:
  OdbcCallThread() = default;
  // Ends the thread, or lets it end by itself after a call given up.
  ~OdbcCallThread();
  OdbcCallThread(const OdbcCallThread&) = delete;
  OdbcCallThread& operator=(const OdbcCallThread&) = delete;

  // Runs the call on the thread and waits for it at most `limit`; its return code, or nothing when
  // it did not return in time. Then the call is given up: SQLCancel is sent to `statement` (when
  // given) from a thread of its own, and nothing may touch the connection's handles but After.
  std::optional<SQLRETURN> Run(std::function<SQLRETURN()> call, std::chrono::milliseconds limit,
                               SQLHSTMT statement = SQL_NULL_HSTMT);

  // True once a call was given up.
  bool GaveUp() const { return m_gaveUp; }

  // Queues work behind the call given up (freeing the handles it uses). Only once GaveUp().
  void After(std::function<void()> work);

 private:
  struct State;
  // The thread's loop: each piece of work in turn until the owner has gone and the queue is empty.
  static void Serve(const std::shared_ptr<State>& state);

  std::shared_ptr<State> m_state;
  std::thread m_thread;
  bool m_gaveUp = false;
};

// The error of a call given up: "The database did not answer within N seconds" (SQLSTATE HYT00).
DatabaseError NoAnswerError(unsigned long seconds, ErrorKind kind = ErrorKind::Database);

// The threads of calls given up that have not ended yet, in the whole process. While there are
// any, a process must not end by exit(): its library clean-ups (OpenSSL's) would run under a call
// that goes on when the server comes back. The tool ends by _Exit then.
std::size_t CallsGivenUpStillRunning();
// Waits until every thread of a call given up has ended (the server answered, the handles freed).
void WaitForCallsGivenUp();

}  // namespace tessarine
