#include "gui/BackgroundWatch.h"

#include <exception>
#include <string>

#include "catalogue/CatalogueConnection.h"
#include "gui/CrossThreadUserPort.h"
#include "gui/WindowContext.h"
#include "gui/WindowUserPort.h"
#include "workflows/scan/CatalogueWatch.h"

namespace tessarine {
namespace {

// What the watch shows: log lines only. The status line, the pointer and the preview belong to
// what the user is doing meanwhile; a message becomes a log line (no one waits to answer it).
class LogOnlyPort final : public UserPort {
 public:
  LogOnlyPort(UserPort& window, QObject* receiver) : m_window(window, receiver) {}

  void SetStatus(std::string_view /*text*/) override {}
  MessageAnswer ShowMessage(std::string_view text, MessageIcon /*icon*/, std::string_view /*title*/,
                            MessageButtons buttons) override {
    m_window.AddLogLine(text);
    return buttons == MessageButtons::YesNo ? MessageAnswer::No : MessageAnswer::Ok;
  }
  MessageAnswer AskWithOption(std::string_view text, std::string_view /*option*/, bool& /*checked*/,
                              std::string_view /*title*/) override {
    m_window.AddLogLine(text);
    return MessageAnswer::No;
  }
  void Beep() override {}
  void SetBusy(bool /*busy*/) override {}
  void AddLogLine(std::string_view line) override { m_window.AddLogLine(line); }
  void ShowPreview(const PreviewImage& /*image*/) override {}
  void ProcessEvents() override {}

 private:
  CrossThreadUserPort m_window;
};

}  // namespace

BackgroundWatch::BackgroundWatch(WindowContext& context, QObject* receiver)
    : m_context(context), m_receiver(receiver) {}

BackgroundWatch::~BackgroundWatch() { Stop(); }

void BackgroundWatch::Start() {
  if (m_running) return;
  if (m_thread.joinable()) m_thread.join();  // a watch that ended by itself
  m_stop = false;
  m_running = true;
  m_thread = std::thread([this, settings = m_context.CurrentSettings(), fileDsn = m_context.FileDsnSelected(),
                          settingsFile = m_context.SettingsFile()] {
    LogOnlyPort port(m_context.Port(), m_receiver);
    WatchHooks hooks;
    hooks.stopRequested = [this] { return m_stop.load(); };
    hooks.say = [&port](const std::string& line) { port.AddLogLine(line); };
    try {
      CatalogueConnection connection;
      CatalogueWatch watch(connection, port, settings, fileDsn, settingsFile, false, std::move(hooks));
      if (!watch.Run()) port.AddLogLine("The catalogue is not watched: its folder list could not be read.");
    } catch (const std::exception& error) {
      // Nothing the workflow lets through may end the program.
      port.AddLogLine(std::string("The catalogue is no longer watched: ") + error.what());
    }
    m_running = false;
  });
}

void BackgroundWatch::Stop() {
  m_stop = true;
  if (m_thread.joinable()) m_thread.join();
  m_running = false;
}

}  // namespace tessarine
