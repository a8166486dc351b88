#include "core/web/ChatRules.h"

namespace chat {

Rect ChatWindowRect(int chatWidth, int chatHeight, int chatBorder) {
  return Rect{0, 0, chatBorder + chatWidth, chatHeight + chatBorder + kChatTitleStrip};
}

Rect ChatBrowserRect(int chatWidth, int chatHeight, int chatBorder) {
  const int left = chatBorder / 2;
  const int top = chatBorder / 2 + kChatTitleStrip;
  return Rect{left, top, left + chatWidth, top + chatHeight};
}

Point ChatWindowPosition(const Rect& work, int windowWidth, int windowHeight) {
  return Point{(work.right - windowWidth) / 2, (work.bottom - windowHeight) / 2};
}

Rect ChatCloseButtonRect(const GameButtonItem& record, const GamePicItem& picture, int chatWidth,
                         int chatBorder) {
  const int left = chatWidth - chatBorder / 2 + record.x;
  const int top = chatBorder / 2 + record.y;
  return Rect{left, top, left + picture.width, top + picture.height};
}

}  // namespace chat
