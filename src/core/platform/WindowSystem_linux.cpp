#include "core/platform/WindowSystem.h"

#include <cstdlib>
#include <cstring>

namespace platform {

void PreferSessionWindowSystem() {
  const char* chosen = std::getenv("QT_QPA_PLATFORM");
  if (chosen != nullptr && *chosen != '\0') return;
  const char* session = std::getenv("XDG_SESSION_TYPE");
  const char* display = std::getenv("WAYLAND_DISPLAY");
  if (session == nullptr || std::strcmp(session, "wayland") != 0) return;
  if (display == nullptr || *display == '\0') return;
  // Qt itself keeps GNOME's Wayland sessions on XWayland; the program runs natively there too.
  setenv("QT_QPA_PLATFORM", "wayland;xcb", 0);
}

}  // namespace platform
