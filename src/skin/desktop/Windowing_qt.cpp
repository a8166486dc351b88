#include "skin/desktop/Windowing.h"

#include <QGuiApplication>

namespace platform {

bool OnWayland() { return QGuiApplication::platformName().startsWith(QLatin1String("wayland")); }

bool TopLevelsPlaceThemselves() { return !OnWayland(); }

}  // namespace platform
