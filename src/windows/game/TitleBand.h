#pragma once
// The game window's title band: its rectangle, colour and fonts, the title text (with the server's
// name) and the player's name beside it. The window paints it and repaints it when it changes.
#include <QColor>
#include <QFont>
#include <QRect>
#include <string>

#include "core/config/FixedText.h"

struct LauncherSettings;
class QPainter;

class CTitleBand {
 public:
  // The fonts: the application's, and its bold face for the band.
  void SetUpFonts();
  // The band's rectangle and text colour from the settings.
  void SetUpBand(const LauncherSettings& settings);
  // The title as the band keeps it (cut to its capacity).
  void SetTitleText(const std::string& text);
  void SetUserName(const std::string& name) { userName = name; }
  void SetServerName(const std::string& name) { serverName = name; }
  // The right edge of the player's name: the x of the button of the player-name type.
  void SetUserNameRight(int x) { userNameRight = x; }

  // Paints the band with the title, then the player's name clipped to its box.
  void Paint(QPainter& painter) const;

  const FixedText<256>& GetTitleText() const { return titleText; }
  int GetTitleLength() const { return titleLength; }
  QRect GetRect() const { return titleRect; }
  const FixedText<256>& GetUserName() const { return userName; }
  const FixedText<256>& GetServerName() const { return serverName; }
  int GetUserNameRight() const { return userNameRight; }

 private:
  FixedText<256> titleText;
  QRect titleRect;
  int titleLength = 0;
  QColor titleColor;
  QFont titleFont;
  QFont titleLogFont;
  FixedText<256> userName;
  FixedText<256> serverName;
  int userNameRight = 0;
};
