#include "StoppedServer.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <fstream>

namespace tessarine::test {
namespace {

// The children of a (single-threaded) process, as the kernel lists them.
std::vector<pid_t> ChildrenOf(pid_t parent) {
  const std::string task = std::to_string(parent);
  std::ifstream list("/proc/" + task + "/task/" + task + "/children");
  std::vector<pid_t> children;
  for (long child = 0; list >> child;) children.push_back(static_cast<pid_t>(child));
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
