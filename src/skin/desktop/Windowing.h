#pragma once
// What the window system lets the program's top-level windows do.

namespace platform {

// False where the compositor alone places top-level windows (Wayland): a window can neither
// choose its position nor keep a second top-level exactly over it.
bool TopLevelsPlaceThemselves();

// True on a Wayland connection.
bool OnWayland();

}  // namespace platform
