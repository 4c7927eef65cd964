#pragma once
// A test database server made to stop answering: SIGSTOP on the server process and its children.
// Its kernel still accepts connections and acknowledges what it is sent, but nothing is answered.
// The server is resumed (SIGCONT) by Resume, by the destructor, and, however the test process ends
// (a crash, or the test harness killing it at its time-out), by a watcher process of its own.
// Test processes running side by side take the server in turn.

#include <sys/types.h>

#include <string>
#include <vector>

namespace tessarine::test {

class StoppedServer {
 public:
  // Stops the server of the named test database ("PostgreSQL", "MariaDB"), whose PID file
  // TESSARINE_<PREFIX>_PIDFILE names (see scripts/start-test-databases.sh). Why() says why the
  // server could not be stopped; it is empty when it was.
  explicit StoppedServer(const std::string& databaseName);
  ~StoppedServer();
  StoppedServer(const StoppedServer&) = delete;
  StoppedServer& operator=(const StoppedServer&) = delete;

  void Resume();
  const std::string& Why() const { return m_why; }

 private:
  int m_lock = -1;  // the PID file, locked while the server is ours to stop
  std::vector<pid_t> m_processes;
  int m_watcher = -1;  // the write end of the watcher's pipe: it resumes the server when it closes
  std::string m_why;
};

}  // namespace tessarine::test
