#include <gtest/gtest.h>

#include "core/web/ChatRules.h"

using namespace chat;

TEST(ChatRules, Geometry) {
  EXPECT_EQ(ChatWindowRect(kChatWidth, kChatHeight, kChatBorder), (Rect{0, 0, 438, 413}));
  EXPECT_EQ(ChatBrowserRect(kChatWidth, kChatHeight, kChatBorder), (Rect{2, 28, 436, 411}));
  EXPECT_EQ(ChatWindowPosition(Rect{0, 0, 1920, 1040}, 438, 413), (Point{741, 313}));
  // Only right and bottom count, as the work area's origin is usually 0.
  EXPECT_EQ(ChatWindowPosition(Rect{100, 40, 1920, 1040}, 438, 413), (Point{741, 313}));

  GameButtonItem close;
  close.type = 5;
  close.x = -30;
  close.y = 5;
  GamePicItem picture;
  picture.width = 20;
  picture.height = 20;
  EXPECT_EQ(ChatCloseButtonRect(close, picture, kChatWidth, kChatBorder), (Rect{402, 7, 422, 27}));
  EXPECT_EQ(skin::ButtonIdForType(close.type), kCloseButtonId);
}
