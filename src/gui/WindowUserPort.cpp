#include "gui/WindowUserPort.h"

#include <QApplication>
#include <QCheckBox>
#include <QImage>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QPixmap>

#include "gui/StatusLine.h"
#include "workflows/scan/Thumbnails.h"

namespace tessarine {
namespace {

QString FromUtf8(std::string_view text) { return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())); }

QMessageBox::Icon ToQtIcon(MessageIcon icon) {
  switch (icon) {
    case MessageIcon::Information: return QMessageBox::Information;
    case MessageIcon::Exclamation: return QMessageBox::Warning;
    case MessageIcon::Critical: return QMessageBox::Critical;
    case MessageIcon::Question: return QMessageBox::Question;
    case MessageIcon::None: break;
  }
  return QMessageBox::NoIcon;
}

}  // namespace

WindowUserPort::WindowUserPort(QWidget* window, StatusLine* status, QListWidget* log, QLabel* preview)
    : m_window(window), m_status(status), m_log(log), m_preview(preview) {}

WindowUserPort::~WindowUserPort() {
  while (m_busyDepth > 0) SetBusy(false);
}

void WindowUserPort::SetStatus(std::string_view text) { m_status->SetText(FromUtf8(text)); }

MessageAnswer WindowUserPort::ShowMessage(std::string_view text, MessageIcon icon, std::string_view title,
                                          MessageButtons buttons) {
  MessageRequest request{std::string(text), icon, std::string(title), buttons, {}, false};
  return m_answerer ? m_answerer(request) : AskWithMessageBox(request);
}

MessageAnswer WindowUserPort::AskWithOption(std::string_view text, std::string_view option, bool& checked,
                                            std::string_view title) {
  MessageRequest request{std::string(text), MessageIcon::Question, std::string(title), MessageButtons::YesNo,
                         std::string(option), checked};
  const MessageAnswer answer = m_answerer ? m_answerer(request) : AskWithMessageBox(request);
  checked = request.optionChecked;
  return answer;
}

MessageAnswer WindowUserPort::AskWithMessageBox(MessageRequest& request) {
  const QMessageBox::StandardButtons buttons =
      request.buttons == MessageButtons::YesNo ? (QMessageBox::Yes | QMessageBox::No) : QMessageBox::Ok;
  // Core texts break lines with CR LF; a Qt label wants a bare line feed.
  QString text = FromUtf8(request.text);
  text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  QMessageBox box(ToQtIcon(request.icon), FromUtf8(request.title), text, buttons, m_window);
  QCheckBox* option = nullptr;
  if (!request.option.empty()) {
    option = new QCheckBox(FromUtf8(request.option), &box);
    option->setChecked(request.optionChecked);
    box.setCheckBox(option);
  }
  // Every question here leads to a change (a deletion, a dropped table): Enter must not make it.
  if (request.buttons == MessageButtons::YesNo) {
    box.setDefaultButton(QMessageBox::No);
    box.setEscapeButton(QMessageBox::No);
  }
  // A question must be answered before the hourglass makes sense again.
  const bool busy = m_busyDepth > 0;
  if (busy) QApplication::setOverrideCursor(Qt::ArrowCursor);
  const int answer = box.exec();
  if (busy) QApplication::restoreOverrideCursor();
  if (option != nullptr) request.optionChecked = option->isChecked();
  if (answer == QMessageBox::Yes) return MessageAnswer::Yes;
  if (answer == QMessageBox::No) return MessageAnswer::No;
  return request.buttons == MessageButtons::YesNo ? MessageAnswer::No : MessageAnswer::Ok;
}

void WindowUserPort::Beep() {
  if (m_beeper) {
    m_beeper();
  } else {
    QApplication::beep();
  }
}

void WindowUserPort::SetBusy(bool busy) {
  if (busy) {
    ++m_busyDepth;
    QApplication::setOverrideCursor(Qt::WaitCursor);
  } else if (m_busyDepth > 0) {
    --m_busyDepth;
    QApplication::restoreOverrideCursor();
  }
}

void WindowUserPort::AddLogLine(std::string_view line) {
  // Newest first; the oldest line goes once the log holds more than its 100 lines.
  m_log->insertItem(0, FromUtf8(line));
  while (m_log->count() > kLogLines) delete m_log->takeItem(m_log->count() - 1);
}

QPixmap PreviewPixmap(const PreviewImage& image, qreal devicePixelRatio) {
  if (image.width <= 0 || image.height <= 0 ||
      image.rgb.size() < static_cast<std::size_t>(image.width) * static_cast<std::size_t>(image.height) * 3) {
    return {};
  }
  const QImage picture(image.rgb.data(), image.width, image.height, image.width * 3, QImage::Format_RGB888);
  // Shown at the size the preview box gives it (a picture wider than the box's 3:2 is squeezed),
  // resampled once, straight to the screen's pixels: on a 2x screen it is not drawn small and then
  // enlarged.
  const PreviewSize size = StretchImageThumb(image.width, image.height);
  const qreal ratio = devicePixelRatio > 0 ? devicePixelRatio : 1.0;
  QPixmap pixmap = QPixmap::fromImage(picture.scaled(qRound(size.width * ratio), qRound(size.height * ratio),
                                                     Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
  pixmap.setDevicePixelRatio(ratio);
  return pixmap;
}

void WindowUserPort::ShowPreview(const PreviewImage& image) {
  const QPixmap pixmap = PreviewPixmap(image, m_preview->devicePixelRatioF());
  if (pixmap.isNull()) {
    m_preview->clear();
  } else {
    m_preview->setPixmap(pixmap);
  }
}

void WindowUserPort::ProcessEvents() { QCoreApplication::processEvents(); }

}  // namespace tessarine
