#pragma once

#include <functional>
#include <string>
#include <string_view>

#include "core/UserPort.h"

namespace tessarine {

// The text with its control characters other than line feed and tab (a file's bytes quoted in a
// message) written as \xNN, so that a terminal or a log reader takes the output as text.
std::string PrintableText(std::string_view text);

struct ConsoleOptions {
  bool verbose = false;               // print the status line and the log lines too
  bool silentConfirmations = false;   // answer Yes without printing the question
  std::function<void()> beforeOutput = {};  // run before each line printed (ends a progress line)
};

// The user port of the command-line tool: message boxes become lines on stderr,
// confirmations are answered Yes (the tool is only run when the user asked for the action),
// the status line is printed only when verbose.
class ConsoleUserPort final : public UserPort {
 public:
  explicit ConsoleUserPort(ConsoleOptions options = {}) : m_options(std::move(options)) {}

  void SetStatus(std::string_view text) override;
  MessageAnswer ShowMessage(std::string_view text, MessageIcon icon, std::string_view title,
                            MessageButtons buttons) override;
  // Asked and answered as ShowMessage; the box stays as the command's own option set it.
  MessageAnswer AskWithOption(std::string_view text, std::string_view option, bool& checked,
                              std::string_view title) override;
  void Beep() override {}
  void SetBusy(bool) override {}
  void AddLogLine(std::string_view line) override;
  void ShowPreview(const PreviewImage&) override {}
  void ProcessEvents() override {}

  int MessageCount() const { return m_messages; }
  const std::string& LastStatus() const { return m_status; }

 private:
  void BeforeOutput() const {
    if (m_options.beforeOutput) m_options.beforeOutput();
  }

  ConsoleOptions m_options;
  int m_messages = 0;
  std::string m_status;
};

}  // namespace tessarine
