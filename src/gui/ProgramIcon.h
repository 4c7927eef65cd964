#pragma once
// The program's icon and logo, drawn rather than stored, so one drawing serves the window,
// the about box and the installed icon file.

class QPixmap;

namespace tessarine {

QPixmap DrawProgramIcon(int size);

}  // namespace tessarine
