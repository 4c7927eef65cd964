#pragma once
// The window's side of UserPort: status line, message boxes, beep, busy pointer, scan log,
// thumbnail preview and one turn of the event loop. Message boxes go through an answerer
// that tests replace, so nothing modal blocks an offscreen run.

#include <QPixmap>
#include <functional>
#include <string>

#include "core/UserPort.h"

class QLabel;

class QListWidget;
class QWidget;

namespace tessarine {

class StatusLine;

// The picture of the preview box for a screen of the given pixel ratio; null for an image that
// holds no picture.
QPixmap PreviewPixmap(const PreviewImage& image, qreal devicePixelRatio);

struct MessageRequest {
  std::string text;
  MessageIcon icon;
  std::string title;
  MessageButtons buttons;
  std::string option;          // the text of a check box under the question; none when empty
  bool optionChecked = false;  // the box's state, as it starts and as the user leaves it
};

// Answers a message; it may tick or clear the request's check box.
using MessageAnswerer = std::function<MessageAnswer(MessageRequest&)>;

class WindowUserPort final : public UserPort {
 public:
  // The scan log keeps this many lines, newest first.
  static constexpr int kLogLines = 100;

  WindowUserPort(QWidget* window, StatusLine* status, QListWidget* log, QLabel* preview);
  ~WindowUserPort() override;

  void SetStatus(std::string_view text) override;
  MessageAnswer ShowMessage(std::string_view text, MessageIcon icon, std::string_view title,
                            MessageButtons buttons) override;
  MessageAnswer AskWithOption(std::string_view text, std::string_view option, bool& checked,
                              std::string_view title) override;
  void Beep() override;
  void SetBusy(bool busy) override;
  void AddLogLine(std::string_view line) override;
  void ShowPreview(const PreviewImage& image) override;
  void ProcessEvents() override;

  // Replaces the modal QMessageBox (tests answer here).
  void SetMessageAnswerer(MessageAnswerer answerer) { m_answerer = std::move(answerer); }
  // Replaces the system beep (tests count here).
  void SetBeeper(std::function<void()> beeper) { m_beeper = std::move(beeper); }

 private:
  MessageAnswer AskWithMessageBox(MessageRequest& request);

  QWidget* m_window;
  StatusLine* m_status;
  QListWidget* m_log;
  QLabel* m_preview;
  MessageAnswerer m_answerer;
  std::function<void()> m_beeper;
  int m_busyDepth = 0;
};

}  // namespace tessarine
