#include "StoppedServer.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace tessarine::test {
namespace {

// The children of a process, from /proc/<pid>/stat ("pid (name) state ppid ...").
std::vector<pid_t> ChildrenOf(pid_t parent) {
  std::vector<pid_t> children;
  std::error_code ec;
  for (const auto& entry : std::filesystem::directory_iterator("/proc", ec)) {
    const std::string name = entry.path().filename().string();
    if (name.find_first_not_of("0123456789") != std::string::npos) continue;
    std::ifstream stat(entry.path() / "stat");
    std::string line;
    if (!std::getline(stat, line)) continue;
    const std::size_t close = line.rfind(')');
    if (close == std::string::npos) continue;
    std::istringstream rest(line.substr(close + 1));
    char state = 0;
    long ppid = 0;
    if (rest >> state >> ppid && ppid == parent) children.push_back(static_cast<pid_t>(std::stol(name)));
  }
  return children;
}

void ResumeAll(const std::vector<pid_t>& processes) {
  for (pid_t pid : processes) ::kill(pid, SIGCONT);
}

// A process outside our own tree (a harness that kills the test kills its children too) that
// resumes the server once the pipe's write end closes, by Resume or by the death of the test.
bool StartWatcher(const std::vector<pid_t>& processes, int& writeEnd) {
  int ends[2];
  if (::pipe(ends) != 0) return false;
  const pid_t child = ::fork();
  if (child < 0) {
    ::close(ends[0]);
    ::close(ends[1]);
    return false;
  }
  if (child == 0) {
    if (::fork() != 0) ::_exit(0);  // the watcher is the grandchild, adopted by init
    ::close(ends[1]);
    ::close_range(3, static_cast<unsigned>(ends[0]) - 1, 0);
    ::close_range(static_cast<unsigned>(ends[0]) + 1, ~0U, 0);
    char byte;
    while (::read(ends[0], &byte, 1) < 0 && errno == EINTR) {
    }
    ResumeAll(processes);
    ::_exit(0);
  }
  ::close(ends[0]);
  int status = 0;
  while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
  writeEnd = ends[1];
  return true;
}

}  // namespace

StoppedServer::StoppedServer(const std::string& databaseName) {
  const std::string prefix = databaseName == "PostgreSQL" ? "PGSQL" : databaseName == "MariaDB" ? "MARIADB" : "";
  const char* pidFile = prefix.empty() ? nullptr : std::getenv(("TESSARINE_" + prefix + "_PIDFILE").c_str());
  if (pidFile == nullptr) {
    m_why = "no PID file is known for " + databaseName + " (TESSARINE_" + prefix + "_PIDFILE)";
    return;
  }
  // Tests of other processes may stop the same server: one at a time, each resuming it at its end.
  m_lock = ::open(pidFile, O_RDONLY | O_CLOEXEC);
  if (m_lock < 0 || ::flock(m_lock, LOCK_EX) != 0) {
    m_why = std::string("the PID file ") + pidFile + " could not be locked";
    return;
  }
  std::ifstream in(pidFile);
  long server = 0;
  if (!(in >> server) || server <= 1 || ::kill(static_cast<pid_t>(server), 0) != 0) {
    m_why = std::string("no running server in ") + pidFile;
    return;
  }
  // The server first, so that it starts no child while its children are being stopped.
  if (::kill(static_cast<pid_t>(server), SIGSTOP) != 0) {
    m_why = std::string("the server of ") + pidFile + " could not be stopped";
    return;
  }
  m_processes.push_back(static_cast<pid_t>(server));
  const std::vector<pid_t> children = ChildrenOf(static_cast<pid_t>(server));
  m_processes.insert(m_processes.end(), children.begin(), children.end());
  if (!StartWatcher(m_processes, m_watcher)) {
    ResumeAll(m_processes);
    m_processes.clear();
    m_why = "the watcher process could not be started";
    return;
  }
  for (pid_t child : children) ::kill(child, SIGSTOP);
}

StoppedServer::~StoppedServer() {
  Resume();
  if (m_lock >= 0) ::close(m_lock);
}

void StoppedServer::Resume() {
  ResumeAll(m_processes);
  if (m_watcher >= 0) ::close(m_watcher);
  m_watcher = -1;
}

}  // namespace tessarine::test
