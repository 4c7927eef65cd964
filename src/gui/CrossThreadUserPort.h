#pragma once
// The window's user port for work that runs on a thread of its own (the scan): every call is
// carried to the window's thread. Texts, log lines and previews are posted and the work goes on;
// a message box waits for the user's answer. ProcessEvents does nothing: the window's own event
// loop keeps running meanwhile.

#include <QPointer>

#include "core/UserPort.h"

class QObject;

namespace tessarine {

class CrossThreadUserPort final : public UserPort {
 public:
  // window: the port that shows everything, used on the thread of receiver only.
  CrossThreadUserPort(UserPort& window, QObject* receiver);

  void SetStatus(std::string_view text) override;
  MessageAnswer ShowMessage(std::string_view text, MessageIcon icon, std::string_view title,
                            MessageButtons buttons) override;
  MessageAnswer AskWithOption(std::string_view text, std::string_view option, bool& checked,
                              std::string_view title) override;
  void Beep() override;
  void SetBusy(bool busy) override;
  void AddLogLine(std::string_view line) override;
  void ShowPreview(const PreviewImage& image) override;
  void ProcessEvents() override {}

 private:
  UserPort& m_window;
  QPointer<QObject> m_receiver;
};

}  // namespace tessarine
