#pragma once
// Runs the built command-line tool as a user would and collects what it prints.

#include <sys/wait.h>

#include <cstdio>
#include <string>

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

}  // namespace tessarine::test
