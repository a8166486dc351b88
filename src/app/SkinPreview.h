#pragma once
// `Launcher --preview`: the operator's skin rendered into PNG files, without a display or network.
#include <string>

// Renders the launcher window (artwork, buttons, the page's place) into DIR/launcher.png and the
// game window's frame (pieces, title band with a sample title, buttons, logo, the page's place)
// at width x height into DIR/game.png, from config.zip in the working directory. Needs a
// QApplication. Returns the exit code: 0 written, 1 the package or the folder failed.
int RunSkinPreview(const std::string& dir, int width, int height);
