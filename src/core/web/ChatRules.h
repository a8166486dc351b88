#pragma once
// Pure rules of the GM chat window: its size and place, its browser and its close button. No Qt.
#include "core/config/LauncherConfig.h"
#include "core/skin/SkinRules.h"

namespace chat {

using Rect = skin::Rect;
using Point = skin::Point;

constexpr int kChatWidth = 434;
constexpr int kChatHeight = 383;
constexpr int kChatBorder = 4;
constexpr int kChatTitleStrip = 26;
constexpr int kBrowserId = 170;
// Only a copy of a close button (game button type 5) closes the chat.
constexpr int kCloseButtonId = skin::kButtonIdBase + 5;

// The chat window's outer size: (border + width) x (height + border + 26).
Rect ChatWindowRect(int chatWidth, int chatHeight, int chatBorder);
// Its browser: (border/2, border/2 + 26) sized width x height.
Rect ChatBrowserRect(int chatWidth, int chatHeight, int chatBorder);
// Top-left that centres the chat window: ((work.right - w) / 2, (work.bottom - h) / 2).
Point ChatWindowPosition(const Rect& work, int windowWidth, int windowHeight);
// The chat's close button copies game button 1: x counts from the chat's right edge.
Rect ChatCloseButtonRect(const GameButtonItem& record, const GamePicItem& picture, int chatWidth,
                         int chatBorder);

}  // namespace chat
