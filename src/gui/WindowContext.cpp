#include "gui/WindowContext.h"

#include <QDialog>
#include <QFile>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QStandardPaths>
#include <QString>

#include "catalogue/CatalogueConnection.h"
#include "core/WindowTitle.h"
#include "gui/OpenDocument.h"
#include "gui/WindowUserPort.h"

namespace tessarine {

WindowContext::WindowContext(std::filesystem::path settingsFile, std::filesystem::path programFolder)
    : m_settingsFile(std::move(settingsFile)),
      m_programFolder(std::move(programFolder)),
      m_openDocument([](const QString& target) { return tessarine::OpenDocument(target); }) {}

WindowContext::~WindowContext() = default;

void WindowContext::SetPort(std::unique_ptr<WindowUserPort> port) { m_port = std::move(port); }

CatalogueConnection& WindowContext::Connection() {
  if (!m_catalogue) m_catalogue = std::make_unique<CatalogueConnection>();
  return *m_catalogue;
}

void WindowContext::SetWatchControl(std::function<void()> stop, std::function<void()> start) {
  m_stopWatch = std::move(stop);
  m_startWatch = std::move(start);
}

void WindowContext::PauseWatch() {
  if (m_watchPauses++ == 0 && m_stopWatch) m_stopWatch();
}

void WindowContext::ResumeWatch() {
  if (m_watchPauses > 0 && --m_watchPauses == 0 && m_startWatch) m_startWatch();
}

bool WindowContext::OpenDocument(const QString& target) const {
  if (m_openDocument(target)) return true;
  if (target.trimmed().isEmpty()) return false;
  m_port->ShowMessage("Nothing could open:\r\n" + target.toStdString() +
                          "\r\nNo program to open it is installed, or it did not start. Open it yourself.",
                      MessageIcon::Exclamation, kWindowTitle, MessageButtons::Ok);
  return false;
}

void WindowContext::RunDialog(QDialog& dialog) const {
  if (m_runDialog) {
    m_runDialog(dialog);
  } else {
    dialog.exec();
  }
}

QString FolderPickerStart(const std::string& lastFolder) {
  const QString candidates[] = {QFile::decodeName(QByteArray::fromStdString(lastFolder)),
                                QStandardPaths::writableLocation(QStandardPaths::PicturesLocation)};
  for (const QString& folder : candidates) {
    if (!folder.isEmpty() && QFileInfo(folder).isDir()) return folder;
  }
  return QDir::homePath();
}

std::optional<std::string> WindowContext::ChooseFolder(QWidget* parent, const QString& caption) const {
  if (m_chooseFolder) return m_chooseFolder();
  const QString folder = QFileDialog::getExistingDirectory(parent, caption, FolderPickerStart(m_settings.lastFolder),
                                                           QFileDialog::ShowDirsOnly);
  if (folder.isEmpty()) return std::nullopt;
  // The path as the disk names it.
  return QFile::encodeName(folder).toStdString();
}

}  // namespace tessarine
