#pragma once
// Pure rules of the game window's title band: its rectangle, the player-name box, the server
// title composed from a completed page's address, and the cuts of the title texts (8-bit
// texts in the system code page). No Qt.

#include <optional>
#include <string>
#include <string_view>

#include "core/config/LauncherConfig.h"
#include "core/game/GameFrameRules.h"

namespace game {

// ---------------------------------------------------------------------------------------------
// Title band

constexpr unsigned kTitleBandColour = 0x000B0752;  // 0x00BBGGRR: red 82, green 7, blue 11
constexpr int kUserNameBoxWidth = 100;
constexpr int kTitleTextLimit = 255;  // titleText holds at most this many bytes
constexpr int kStoredTitleLimit = 127;  // the stored title setting holds at most this many

// (titlex, titley, titlex + titleWidth, titley + titleHeight).
Rect TitleBandRect(const LauncherSettings& settings);

// The player-name box: 100 pixels ending at userNameRight, as high as the title band.
Rect UserNameBox(int userNameRight, const Rect& titleRect);

// ---------------------------------------------------------------------------------------------
// Completed pages and the title (8-bit texts in the system code page)

enum class CompletedPage {
  Game,         // address contains maxheader: attach, compose the title, show the page
  LocalDevice,  // contains "192.168.1": attach and show only
  Ignored,
};
// A sub-frame's document (`topFrame` false) is the game's only when the marker is in its place
// (scheme, host, path), never when its query or fragment merely says so.
CompletedPage ClassifyCompletedPage(std::string_view address, std::string_view maxheader,
                                    bool topFrame = true);

// The server identifier by the marker table: the first marker found with its end ("&" after it,
// or the address end for "467/s"); nullopt when no marker matches.
std::optional<std::string> FindServerIdentifier(std::string_view address);

// " [双线<id>服]" for numbers up to 8000, " [不删档<digits>服]" above, in the system code page.
std::string ServerSuffix(std::string_view identifier);

// The stored title followed by the server suffix of the address, or nullopt when no marker
// matches (nothing changes). The result is whole; callers store it and cut titleText with
// TitleText.
std::optional<std::string> ComposeServerTitle(std::string_view address, std::string_view storedTitle);

// titleText from a longer text: cut to 255 bytes on a character boundary of the code page.
std::string TitleText(std::string_view text);
// The stored title setting from a composed title: cut to 127 bytes the same way.
std::string StoredTitle(std::string_view text);

// titleText once the server's name is known: the title followed directly by the name.
std::string TitleWithServerName(std::string_view title, std::string_view serverName);

// titleText for page command 6: "<stored title>-<parameter>", cut like TitleText.
std::string PageCommandTitle(std::string_view storedTitle, std::string_view parameter);

}  // namespace game
