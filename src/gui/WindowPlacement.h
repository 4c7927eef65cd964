#pragma once
// Where the main window opens: where it last closed, kept wholly on the screen it opens on (a
// place stored on a larger or a second screen would leave it out of reach), else centred.

#include <QRect>
#include <QSize>
#include <optional>

#include "core/Settings.h"

namespace tessarine {

// The frame's top-left corner and the inner size to give the window on the available area.
QRect PlaceOnScreen(const std::optional<WindowPlace>& stored, QSize defaultSize, const QRect& available);

}  // namespace tessarine
