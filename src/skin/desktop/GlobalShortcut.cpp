#include "skin/desktop/GlobalShortcut.h"

#include <QLoggingCategory>
#include <cstdlib>
#include <cstring>

#include "skin/desktop/Windowing.h"

// Where the boss key comes from, and why it is missing; the refusal is said once by default.
Q_LOGGING_CATEGORY(lcBossKey, "launcher.bosskey", QtInfoMsg)

namespace platform {

namespace {
bool waylandSession() {
  const char* type = std::getenv("XDG_SESSION_TYPE");
  return OnWayland() || (type != nullptr && std::strcmp(type, "wayland") == 0);
}
bool refusalLogged = false;
}  // namespace

GlobalShortcut* GlobalShortcut::Create(unsigned modifiers, char key, QObject* parent,
                                       Source source) {
  if (source == Source::Session) source = waylandSession() ? Source::Portal : Source::X11;
  GlobalShortcut* shortcut =
      source == Source::Portal ? CreatePortalShortcut(parent) : CreateX11Shortcut(parent);
  const bool portal = source == Source::Portal;
  QObject::connect(shortcut, &GlobalShortcut::Unavailable, shortcut,
                   [portal](const QString& reason) {
                     // A key another X11 program holds is the desktop's ordinary state.
                     if (!portal) {
                       qCDebug(lcBossKey) << "boss key unavailable:" << reason;
                       return;
                     }
                     if (refusalLogged) return;
                     refusalLogged = true;
                     qCInfo(lcBossKey).noquote()
                         << "boss key (Alt+D) unavailable, the game window works without it:"
                         << reason;
                   });
  shortcut->Start(modifiers, key);
  return shortcut;
}

}  // namespace platform
