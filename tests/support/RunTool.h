#pragma once
// Runs the built command-line tool as a user would and collects what it prints.

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <string>
#include <vector>

namespace tessarine::test {

struct ToolRun {
  int status = -1;  // the exit code, -1 when the tool did not exit normally
  std::string out;
};

enum class ToolStderr { Keep, Drop };

// `executable arguments`; stderr joins stdout (Keep) or is thrown away (Drop).
inline ToolRun RunTool(const std::string& executable, const std::string& arguments, ToolStderr err = ToolStderr::Keep) {
  ToolRun run;
  const std::string command = executable + " " + arguments + (err == ToolStderr::Keep ? " 2>&1" : " 2>/dev/null");
  FILE* pipe = ::popen(command.c_str(), "r");
  if (pipe == nullptr) return run;
  char buffer[4096];
  for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) run.out.append(buffer, n);
  const int status = ::pclose(pipe);
  run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return run;
}

// The tool running in a child process, stdout and stderr in one pipe, for a test that signals it
// while it runs. A tool still running at the end is killed.
class RunningTool {
 public:
  RunningTool(const std::string& executable, const std::vector<std::string>& arguments) {
    int ends[2];
    if (::pipe(ends) != 0) return;
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(executable.c_str()));
    for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    m_pid = ::fork();
    if (m_pid == 0) {
      ::dup2(ends[1], STDOUT_FILENO);
      ::dup2(ends[1], STDERR_FILENO);
      ::close(ends[0]);
      ::close(ends[1]);
      ::execv(executable.c_str(), argv.data());
      ::_exit(127);
    }
    ::close(ends[1]);
    m_out = ends[0];
  }
  ~RunningTool() {
    if (m_pid > 0 && !m_ended) {
      ::kill(m_pid, SIGKILL);
      Wait();
    }
    if (m_out >= 0) ::close(m_out);
  }
  RunningTool(const RunningTool&) = delete;
  RunningTool& operator=(const RunningTool&) = delete;

  // Reads what the tool prints until the text has appeared; false when the tool ended its output
  // without it.
  bool WaitFor(const std::string& text) {
    while (m_output.find(text) == std::string::npos) {
      if (!ReadSome()) return false;
    }
    return true;
  }

  void Signal(int signal) const { ::kill(m_pid, signal); }

  // True once the tool has ended (its wait status is then kept for Wait).
  bool HasEnded() {
    if (!m_ended && m_pid > 0 && ::waitpid(m_pid, &m_status, WNOHANG) == m_pid) m_ended = true;
    return m_ended;
  }

  // Reads to the end of the output and waits for the tool to end: its wait status.
  int Wait() {
    if (m_pid <= 0) return m_status;
    while (ReadSome()) {
    }
    while (!m_ended && ::waitpid(m_pid, &m_status, 0) < 0 && errno == EINTR) {
    }
    m_ended = true;
    return m_status;
  }

  const std::string& Output() const { return m_output; }

 private:
  bool ReadSome() {
    if (m_out < 0) return false;
    char buffer[4096];
    for (;;) {
      const ssize_t n = ::read(m_out, buffer, sizeof buffer);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) return false;
      m_output.append(buffer, static_cast<std::size_t>(n));
      return true;
    }
  }

  pid_t m_pid = -1;
  int m_out = -1;
  int m_status = -1;
  bool m_ended = false;
  std::string m_output;
};

}  // namespace tessarine::test
