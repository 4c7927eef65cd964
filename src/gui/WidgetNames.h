#pragma once
// Object names follow the control names of the window description; an element of a
// control array is named name_index (optDatabase_2), so tests find it with findChild.

#include <QString>

namespace tessarine {

inline QString ArrayName(const char* name, int index) {
  return QStringLiteral("%1_%2").arg(QLatin1String(name)).arg(index);
}

template <class Widget>
Widget* Named(Widget* widget, const QString& name) {
  widget->setObjectName(name);
  return widget;
}

template <class Widget>
Widget* Named(Widget* widget, const char* name, int index) {
  widget->setObjectName(ArrayName(name, index));
  return widget;
}

}  // namespace tessarine
