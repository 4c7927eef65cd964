#include "workflows/scan/ReadAlerts.h"

#include "core/WindowTitle.h"

namespace tessarine {

void ShowReadAlerts(UserPort& port, const std::vector<ReadAlert>& alerts) {
  for (const ReadAlert& alert : alerts) {
    if (alert.kind == ReadAlert::Kind::ReadError) {
      port.ShowMessage(alert.text, MessageIcon::Critical, kWindowTitle, MessageButtons::Ok);
    } else {
      port.ShowMessage(alert.text, MessageIcon::None, kApplicationTitle, MessageButtons::Ok);
    }
  }
}

}  // namespace tessarine
