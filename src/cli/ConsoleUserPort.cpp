#include "cli/ConsoleUserPort.h"

#include <iostream>

namespace tessarine {

void ConsoleUserPort::SetStatus(std::string_view text) {
  m_status = std::string(text);
  if (m_verbose && !text.empty()) std::cerr << text << '\n';
}

MessageAnswer ConsoleUserPort::ShowMessage(std::string_view text, MessageIcon, std::string_view,
                                           MessageButtons buttons) {
  ++m_messages;
  std::cerr << text << '\n';
  return buttons == MessageButtons::YesNo ? MessageAnswer::Yes : MessageAnswer::Ok;
}

void ConsoleUserPort::AddLogLine(std::string_view line) {
  if (m_verbose) std::cerr << line << '\n';
}

}  // namespace tessarine
