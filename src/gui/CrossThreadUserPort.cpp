#include "gui/CrossThreadUserPort.h"

#include <QMetaObject>
#include <QObject>
#include <QThread>

#include <string>

namespace tessarine {

CrossThreadUserPort::CrossThreadUserPort(UserPort& window, QObject* receiver)
    : m_window(window), m_receiver(receiver) {}

void CrossThreadUserPort::SetStatus(std::string_view text) {
  QMetaObject::invokeMethod(
      m_receiver, [&window = m_window, text = std::string(text)] { window.SetStatus(text); }, Qt::QueuedConnection);
}

MessageAnswer CrossThreadUserPort::ShowMessage(std::string_view text, MessageIcon icon, std::string_view title,
                                               MessageButtons buttons) {
  MessageAnswer answer = buttons == MessageButtons::YesNo ? MessageAnswer::No : MessageAnswer::Ok;
  // Called on the window's own thread (no work thread), a blocking call would wait for itself.
  const Qt::ConnectionType wait = QThread::currentThread() == m_receiver->thread() ? Qt::DirectConnection
                                                                                  : Qt::BlockingQueuedConnection;
  QMetaObject::invokeMethod(
      m_receiver,
      [&] { answer = m_window.ShowMessage(text, icon, title, buttons); }, wait);
  return answer;
}

MessageAnswer CrossThreadUserPort::AskWithOption(std::string_view text, std::string_view option, bool& checked,
                                                 std::string_view title) {
  MessageAnswer answer = MessageAnswer::No;
  const Qt::ConnectionType wait = QThread::currentThread() == m_receiver->thread() ? Qt::DirectConnection
                                                                                  : Qt::BlockingQueuedConnection;
  QMetaObject::invokeMethod(
      m_receiver, [&] { answer = m_window.AskWithOption(text, option, checked, title); }, wait);
  return answer;
}

void CrossThreadUserPort::Beep() {
  QMetaObject::invokeMethod(m_receiver, [&window = m_window] { window.Beep(); }, Qt::QueuedConnection);
}

void CrossThreadUserPort::SetBusy(bool busy) {
  QMetaObject::invokeMethod(m_receiver, [&window = m_window, busy] { window.SetBusy(busy); }, Qt::QueuedConnection);
}

void CrossThreadUserPort::AddLogLine(std::string_view line) {
  QMetaObject::invokeMethod(
      m_receiver, [&window = m_window, line = std::string(line)] { window.AddLogLine(line); }, Qt::QueuedConnection);
}

void CrossThreadUserPort::ShowPreview(const PreviewImage& image) {
  QMetaObject::invokeMethod(
      m_receiver, [&window = m_window, image] { window.ShowPreview(image); }, Qt::QueuedConnection);
}

}  // namespace tessarine
