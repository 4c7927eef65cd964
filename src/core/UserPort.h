#pragma once
// The port through which the core talks to the user. The Qt window implements it;
// the command-line tool writes to the terminal; tests record every call.

#include <string_view>

#include "core/PreviewImage.h"

namespace tessarine {

enum class MessageIcon { None, Information, Exclamation, Critical, Question };
enum class MessageButtons { Ok, YesNo };
enum class MessageAnswer { Ok, Yes, No };

class UserPort {
 public:
  virtual ~UserPort() = default;

  // The status line at the bottom of the window.
  virtual void SetStatus(std::string_view text) = 0;
  // A modal message box; returns the button the user pressed.
  virtual MessageAnswer ShowMessage(std::string_view text, MessageIcon icon, std::string_view title,
                                    MessageButtons buttons) = 0;
  // A Yes/No question with a check box under it for a second choice (its text: option). The box
  // starts as `checked` says and is left there as the user set it; No is the default answer.
  virtual MessageAnswer AskWithOption(std::string_view text, std::string_view option, bool& checked,
                                      std::string_view title) = 0;
  virtual void Beep() = 0;
  // The busy (hourglass) pointer over the window; calls nest.
  virtual void SetBusy(bool busy) = 0;
  // A new line at the top of the scan log.
  virtual void AddLogLine(std::string_view line) = 0;
  virtual void ShowPreview(const PreviewImage& image) = 0;
  // Hands pending window events to the event loop once (a "Stop" click lands here).
  virtual void ProcessEvents() = 0;
};

// Shows a busy pointer for the lifetime of the guard.
class BusyPointer {
 public:
  explicit BusyPointer(UserPort& port) : m_port(port) { m_port.SetBusy(true); }
  ~BusyPointer() { m_port.SetBusy(false); }
  BusyPointer(const BusyPointer&) = delete;
  BusyPointer& operator=(const BusyPointer&) = delete;

 private:
  UserPort& m_port;
};

}  // namespace tessarine
