#pragma once
// Which window system the program's windows live on, chosen before the application object.

namespace platform {

// A Wayland session gets native Wayland windows (X11 only when no Wayland connection can be
// made), unless the user or a script named a Qt platform.
void PreferSessionWindowSystem();

}  // namespace platform
