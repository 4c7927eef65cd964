#pragma once

#include "app/UserPort.h"

namespace tessarine {

// The user port of the command-line tool: message boxes become lines on stderr,
// confirmations are answered Yes (the tool is only run when the user asked for the action),
// the status line is printed only when verbose.
class ConsoleUserPort final : public UserPort {
 public:
  explicit ConsoleUserPort(bool verbose = false) : m_verbose(verbose) {}

  void SetStatus(std::string_view text) override;
  MessageAnswer ShowMessage(std::string_view text, MessageIcon icon, std::string_view title,
                            MessageButtons buttons) override;
  void Beep() override {}
  void SetBusy(bool) override {}
  void AddLogLine(std::string_view line) override;
  void ShowPreview(const PreviewImage&) override {}
  void ProcessEvents() override {}

  int MessageCount() const { return m_messages; }
  const std::string& LastStatus() const { return m_status; }

 private:
  bool m_verbose;
  int m_messages = 0;
  std::string m_status;
};

}  // namespace tessarine
