#pragma once
// A user port for tests: records every call and answers questions as told.

#include <string>
#include <vector>

#include "core/UserPort.h"

namespace tessarine::test {

struct RecordedMessage {
  std::string text;
  MessageIcon icon;
  std::string title;
  MessageButtons buttons;
};

class RecordingUserPort final : public UserPort {
 public:
  void SetStatus(std::string_view text) override { statuses.emplace_back(text); }
  MessageAnswer ShowMessage(std::string_view text, MessageIcon icon, std::string_view title,
                            MessageButtons buttons) override {
    messages.push_back({std::string(text), icon, std::string(title), buttons});
    events.push_back("message");
    if (buttons == MessageButtons::Ok) return MessageAnswer::Ok;
    return answerYes ? MessageAnswer::Yes : MessageAnswer::No;
  }
  // Recorded as a question; the box is left as tickOption says.
  MessageAnswer AskWithOption(std::string_view text, std::string_view option, bool& checked,
                              std::string_view title) override {
    checked = tickOption;
    return ShowMessage(std::string(text) + "\r\n[" + std::string(option) + "]", MessageIcon::Question, title,
                       MessageButtons::YesNo);
  }
  void Beep() override {
    ++beeps;
    events.push_back("beep");
  }
  void SetBusy(bool busy) override { busyDepth += busy ? 1 : -1; }
  void AddLogLine(std::string_view line) override { logLines.emplace_back(line); }
  void ShowPreview(const PreviewImage& image) override { previews.push_back(image); }
  void ProcessEvents() override {}

  std::string LastStatus() const { return statuses.empty() ? std::string() : statuses.back(); }

  bool answerYes = true;
  bool tickOption = false;
  std::vector<std::string> statuses;
  std::vector<RecordedMessage> messages;
  std::vector<std::string> events;  // "message" and "beep" in the order they happened
  std::vector<std::string> logLines;
  std::vector<PreviewImage> previews;
  int beeps = 0;
  int busyDepth = 0;
};

}  // namespace tessarine::test
