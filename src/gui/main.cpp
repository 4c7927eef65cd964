// tessarine-pro: the catalogue's wizard window.

#include <QApplication>
#include <QIcon>

#include "core/SettingsLocation.h"
#include "gui/ProgramIcon.h"
#include "gui/TessarineProWindow.h"

int main(int argc, char* argv[]) {
  QApplication application(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Tessarine PRO"));
  QApplication::setDesktopFileName(QStringLiteral("tessarine-pro"));
  QApplication::setWindowIcon(QIcon(tessarine::DrawProgramIcon(256)));

  tessarine::TessarineProWindow window(tessarine::DefaultSettingsFile());
  window.resize(window.sizeHint().expandedTo(QSize(1000, 700)));
  window.show();
  return QApplication::exec();
}
