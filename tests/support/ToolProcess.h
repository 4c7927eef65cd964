#pragma once
// Runs the built command-line tool in the background, its stdout and stderr each in a file of its
// own, so that a test can run several at once or act while one runs.

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <string>
#include <vector>

#include "support/TempDir.h"

namespace tessarine::test {

class ToolProcess {
 public:
  // Starts `executable arguments...`; its output goes to <outputStem>.out and <outputStem>.err.
  ToolProcess(const std::string& executable, const std::vector<std::string>& arguments,
              const std::filesystem::path& outputStem)
      : m_out(outputStem.string() + ".out"), m_err(outputStem.string() + ".err") {
    // Everything the child needs is built before the fork: after it, only exec-safe calls.
    std::vector<std::string> words{executable};
    words.insert(words.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& word : words) argv.push_back(word.data());
    argv.push_back(nullptr);
    const std::string out = m_out.string();
    const std::string err = m_err.string();
    m_pid = ::fork();
    if (m_pid == 0) {
      const int outFd = ::open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
      const int errFd = ::open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
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

  bool Started() const { return m_pid > 0; }

  // True once the tool has exited; its status is kept for Wait.
  bool Exited() {
    if (m_done || m_pid <= 0) return true;
    int status = 0;
    if (::waitpid(m_pid, &status, WNOHANG) != m_pid) return false;
    Finish(status);
    return true;
  }

  // Waits for the tool to exit; its exit code, -1 when it did not exit normally.
  int Wait() {
    if (!m_done && m_pid > 0) {
      int status = 0;
      pid_t waited;
      while ((waited = ::waitpid(m_pid, &status, 0)) < 0 && errno == EINTR) {
      }
      if (waited == m_pid) Finish(status);
    }
    return m_exitCode;
  }

  std::string Stdout() const { return ReadFile(m_out); }
  std::string Stderr() const { return ReadFile(m_err); }

 private:
  void Finish(int status) {
    m_done = true;
    m_exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }

  std::filesystem::path m_out;
  std::filesystem::path m_err;
  pid_t m_pid = -1;
  bool m_done = false;
  int m_exitCode = -1;
};

}  // namespace tessarine::test
