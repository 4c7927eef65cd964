#pragma once
// The one way the tests run a built program: in a child process whose output goes to files of the
// test's own, so that a test can run it to its end (RunTool), wait for a text and signal it, or run
// several at once. A program still running at the end is killed.

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "support/TempDir.h"

namespace tessarine::test {

// Where stderr goes: into the output with stdout, nowhere, or to a file of its own (Stderr()).
enum class ToolStderr { Keep, Drop, Apart };

class ToolProcess {
 public:
  ToolProcess(const std::string& executable, const std::vector<std::string>& arguments,
              ToolStderr err = ToolStderr::Keep) {
    // Everything the child needs is built before the fork: after it, only exec-safe calls.
    std::vector<std::string> words{executable};
    words.insert(words.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& word : words) argv.push_back(word.data());
    argv.push_back(nullptr);
    const std::string out = (m_dir / "out").string();
    const std::string apart = err == ToolStderr::Drop ? "/dev/null" : (m_dir / "err").string();
    m_pid = ::fork();
    if (m_pid == 0) {
      const int outFd = ::open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
      const int errFd = err == ToolStderr::Keep ? outFd : ::open(apart.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
      if (outFd < 0 || errFd < 0 || ::dup2(outFd, STDOUT_FILENO) < 0 || ::dup2(errFd, STDERR_FILENO) < 0) ::_exit(127);
      ::execv(argv[0], argv.data());
      ::_exit(127);
    }
  }
  ~ToolProcess() {
    if (m_pid > 0 && !Exited()) {
      ::kill(m_pid, SIGKILL);
      Wait();
    }
  }
  ToolProcess(const ToolProcess&) = delete;
  ToolProcess& operator=(const ToolProcess&) = delete;

  void Signal(int signal) const { ::kill(m_pid, signal); }

  // True once the program has ended; its status is kept for Wait.
  bool Exited() {
    if (m_done || m_pid <= 0) return true;
    int status = 0;
    if (::waitpid(m_pid, &status, WNOHANG) != m_pid) return false;
    Finish(status);
    return true;
  }

  // Waits until the output holds the text; false when the program ended without printing it.
  bool WaitFor(const std::string& text) {
    for (;;) {
      const bool ended = Exited();
      if (Output().find(text) != std::string::npos) return true;
      if (ended) return false;
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
  }

  // Waits for the program to end: its exit code, -1 when a signal ended it (see Signalled).
  int Wait() {
    while (!m_done && m_pid > 0) {
      int status = 0;
      const pid_t waited = ::waitpid(m_pid, &status, 0);
      if (waited == m_pid) Finish(status);
      if (waited < 0 && errno != EINTR) break;
    }
    return WIFEXITED(m_status) ? WEXITSTATUS(m_status) : -1;
  }
  // The signal that ended the program, 0 when it exited.
  int Signalled() const { return m_done && WIFSIGNALED(m_status) ? WTERMSIG(m_status) : 0; }

  std::string Output() const { return ReadFile(m_dir / "out"); }
  std::string Stderr() const { return ReadFile(m_dir / "err"); }

 private:
  void Finish(int status) {
    m_done = true;
    m_status = status;
  }

  TempDir m_dir;
  pid_t m_pid = -1;
  bool m_done = false;
  int m_status = -1;
};

struct ToolRun {
  int status = -1;  // the exit code, -1 when the program did not exit normally
  std::string out;
};

// Runs `executable arguments` through the shell (the arguments quoted as a user would) to its end.
inline ToolRun RunTool(const std::string& executable, const std::string& arguments, ToolStderr err = ToolStderr::Keep) {
  ToolProcess tool("/bin/sh", {"-c", executable + " " + arguments}, err);
  return {tool.Wait(), tool.Output()};  // a braced list runs left to right: the output once it ended
}

}  // namespace tessarine::test
