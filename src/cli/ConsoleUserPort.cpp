#include "cli/ConsoleUserPort.h"

#include <iostream>

namespace tessarine {

std::string PrintableText(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  static constexpr char kHex[] = "0123456789abcdef";
  for (char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if ((byte < 0x20 && c != '\n' && c != '\t') || byte == 0x7F) {
      out += "\\x";
      out += kHex[byte >> 4];
      out += kHex[byte & 0xF];
    } else {
      out += c;
    }
  }
  return out;
}

void ConsoleUserPort::SetStatus(std::string_view text) {
  m_status = std::string(text);
  if (m_options.verbose && !text.empty()) {
    BeforeOutput();
    std::cerr << text << '\n';
  }
}

MessageAnswer ConsoleUserPort::ShowMessage(std::string_view text, MessageIcon, std::string_view,
                                           MessageButtons buttons) {
  if (buttons == MessageButtons::YesNo && m_options.silentConfirmations) return MessageAnswer::Yes;
  ++m_messages;
  // The core breaks lines with CR LF, as its message boxes want them.
  std::string line(text);
  for (std::size_t at; (at = line.find("\r\n")) != std::string::npos;) line.replace(at, 2, "\n");
  BeforeOutput();
  std::cerr << PrintableText(line) << '\n';
  return buttons == MessageButtons::YesNo ? MessageAnswer::Yes : MessageAnswer::Ok;
}

MessageAnswer ConsoleUserPort::AskWithOption(std::string_view text, std::string_view option, bool& checked,
                                             std::string_view title) {
  const std::string question = std::string(text) + "\r\n" + std::string(option) + (checked ? ": yes" : ": no");
  return ShowMessage(question, MessageIcon::Question, title, MessageButtons::YesNo);
}

void ConsoleUserPort::AddLogLine(std::string_view line) {
  if (!m_options.verbose) return;
  BeforeOutput();
  std::cerr << PrintableText(line) << '\n';
}

}  // namespace tessarine
