// tessarine-pro: the catalogue's wizard window.

#include <QApplication>
#include <QIcon>
#include <QScreen>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "catalogue/OdbcCallThread.h"
#include "core/SettingsLocation.h"
#include "core/WindowTitle.h"
#include "gui/ProgramIcon.h"
#include "gui/TessarineProWindow.h"
#include "workflows/connection/EmbeddedCatalogue.h"

int main(int argc, char* argv[]) {
  QApplication application(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Tessarine PRO"));
  QApplication::setDesktopFileName(QStringLiteral("tessarine-pro"));
  QApplication::setWindowIcon(QIcon(tessarine::DrawProgramIcon(256)));

  // A first start makes the embedded catalogue before the tabs read the settings, and says so
  // once the window is up.
  std::string firstStart;
  tessarine::TessarineProWindow window(tessarine::DefaultSettingsFile(), [&firstStart](auto& starting) {
    const tessarine::Expected<std::string> prepared = tessarine::PrepareFirstStart(
        starting.Connection(), starting.Port(), starting.CurrentSettings(), starting.SettingsFile());
    if (prepared) firstStart = *prepared;
  });
  // The screen the window was closed on, when it is still there.
  const std::optional<tessarine::WindowPlace>& stored = window.CurrentSettings().window;
  const QScreen* screen =
      stored ? QGuiApplication::screenAt(QRect(stored->left, stored->top, stored->width, stored->height).center())
             : nullptr;
  if (screen == nullptr) screen = QGuiApplication::primaryScreen();
  const bool maximized = window.PlaceOnScreen(screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768));
  if (maximized) {
    window.showMaximized();
  } else {
    window.show();
  }
  if (!firstStart.empty()) {
    QTimer::singleShot(0, &window, [&window, &firstStart] {
      window.Port().ShowMessage(firstStart, tessarine::MessageIcon::Information, tessarine::kWindowTitle,
                                tessarine::MessageButtons::Ok);
    });
  }
  const int status = QApplication::exec();
  // A statement the database never answered still runs in its driver: the process ends without
  // the libraries' clean-ups, which that call would meet if the server came back now.
  if (tessarine::CallsGivenUpStillRunning() > 0) {
    std::fflush(nullptr);
    std::_Exit(status);
  }
  return status;
}
