#include "gui/OpenDocument.h"

#include <QDesktopServices>
#include <QDir>
#include <QString>
#include <QUrl>

namespace tessarine {

bool OpenDocument(const QString& target) {
  if (target.trimmed().isEmpty()) return false;
  const QUrl url = QDir::isAbsolutePath(target) ? QUrl::fromLocalFile(target) : QUrl::fromUserInput(target);
  return QDesktopServices::openUrl(url);
}

}  // namespace tessarine
