#pragma once
// The program's icon and logo, drawn rather than stored, so one drawing serves the window,
// the about box and the installed icon files (the scalable one too).

class QPainter;
class QPixmap;

namespace tessarine {

QPixmap DrawProgramIcon(int size);
// Paints the icon into the square (0, 0, size, size) of the painter's device.
void PaintProgramIcon(QPainter& painter, int size);

}  // namespace tessarine
