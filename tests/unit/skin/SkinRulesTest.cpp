#include <gtest/gtest.h>

#include <climits>

#include "core/skin/SkinRules.h"

using namespace skin;

namespace {
const Rect kWork{0, 0, 1600, 960};

struct ClampCase {
  const char* name;
  Rect proposed;
  Rect expected;
};
}  // namespace

TEST(WorkAreaClamp, HoldsTheWindowInside) {
  const ClampCase cases[] = {
      {"inside unchanged", {100, 100, 500, 400}, {100, 100, 500, 400}},
      {"past left", {-50, 100, 350, 400}, {0, 100, 400, 400}},
      {"on left edge", {0, 100, 400, 400}, {0, 100, 400, 400}},
      {"past right", {1400, 100, 1800, 400}, {1200, 100, 1600, 400}},
      {"on right edge", {1200, 100, 1600, 400}, {1200, 100, 1600, 400}},
      {"past top", {100, -30, 500, 270}, {100, 0, 500, 300}},
      {"past bottom", {100, 900, 500, 1200}, {100, 660, 500, 960}},
      {"past a corner", {1500, 900, 1900, 1200}, {1200, 660, 1600, 960}},
      {"wider, dragged left", {-10, 100, 1790, 400}, {0, 100, 1800, 400}},
      {"wider, at the left edge", {0, 100, 1800, 400}, {0, 100, 1800, 400}},
      {"wider, from inside: right edge first", {200, 100, 2000, 400}, {-200, 100, 1600, 400}},
      {"taller, dragged up", {100, -5, 500, 1045}, {100, 0, 500, 1050}},
  };
  for (const auto& c : cases) {
    const Rect r = ClampToWorkArea(c.proposed, kWork);
    EXPECT_EQ(r, c.expected) << c.name << ": got " << r.left << "," << r.top << "," << r.right
                             << "," << r.bottom;
  }
}

TEST(WorkAreaClamp, WorkAreaWithOffset) {
  const Rect work{10, 30, 1610, 990};
  EXPECT_EQ(ClampToWorkArea({0, 0, 100, 100}, work), (Rect{10, 30, 110, 130}));
}

TEST(Centring, TruncatesTowardZero) {
  EXPECT_EQ(CentreInWorkArea(400, 300, kWork), (Point{600, 330}));
  EXPECT_EQ(CentreInWorkArea(401, 301, kWork), (Point{599, 329}));
  EXPECT_EQ(CentreInWorkArea(400, 300, Rect{100, 50, 1700, 1010}), (Point{700, 380}));
  // Larger than the work area: negative offsets truncate toward zero.
  EXPECT_EQ(CentreInWorkArea(1603, 300, kWork), (Point{-1, 330}));
}

TEST(SkinButtonRules, LinkSemicolonsBecomeAmpersands) {
  EXPECT_EQ(LinkFromSetting("a;b;c"), "a&b&c");
  EXPECT_EQ(LinkFromSetting("http://x/?a=1"), "http://x/?a=1");
  EXPECT_EQ(LinkFromSetting(""), "");
}

TEST(SkinButtonRules, OnlyWebAddressesOpen) {
  const struct {
    const char* address;
    bool openable;
  } cases[] = {
      {"http://example.com/", true},
      {"https://example.com/a?b=1&c=2", true},
      {"HTTP://EXAMPLE.COM", true},
      {"file:///etc/passwd", false},
      {"javascript:alert(1)", false},
      {"C:\\Windows\\calc.exe", false},
      {"/usr/bin/xterm", false},
      {"calc.exe", false},
      {"_blank", false},
      {"http:", false},
      {"http://", false},
      {"http://a b", false},
      {"mailto:x@y", false},
      {"", false},
  };
  for (const auto& c : cases) EXPECT_EQ(IsOpenableLink(c.address), c.openable) << c.address;
}

TEST(SkinButtonRules, PackageLinksOpenAsTheDesktopWouldTakeThem) {
  const struct {
    const char* address;
    const char* target;  // "" when refused
  } cases[] = {
      {"http://example.com/", "http://example.com/"},
      {"https://example.com/a?b=1&c=2", "https://example.com/a?b=1&c=2"},
      {"mailto:help@example.com", "mailto:help@example.com"},
      {"yychat://room/1", "yychat://room/1"},
      {"www.example.com/pay", "http://www.example.com/pay"},
      {"WWW.Example.com", "http://WWW.Example.com"},
      {"www.example.com:8080/pay", "http://www.example.com:8080/pay"},
      {"www.", ""},
      {"www. example.com", ""},
      {"wwwexample.com", ""},
      {"example.com/pay", ""},
      {"file:///etc/passwd", ""},
      {"javascript:alert(1)", ""},
      {"C:\\Windows\\calc.exe", ""},
      {"/usr/bin/xterm", ""},
      {"calc.exe", ""},
      {"mailto:", ""},
      {"", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(PackageLinkTarget(c.address), c.target) << c.address;
}

TEST(SkinRules, ClipToImage) {
  const struct {
    Rect area;
    Rect clipped;
  } cases[] = {
      {{10, 20, 30, 40}, {10, 20, 30, 40}},            // inside
      {{-5, -5, 10, 10}, {0, 0, 10, 10}},              // over the top-left corner
      {{90, 40, 20000, 20000}, {90, 40, 100, 50}},     // far past the bottom-right corner
      {{200, 0, 300, 10}, {}},                         // beside the image
      {{10, 10, 10, 30}, {}},                          // no width
      {{30, 10, 10, 20}, {}},                          // negative width
      {{INT_MIN, INT_MIN, INT_MAX, INT_MAX}, {0, 0, 100, 50}},
  };
  for (const auto& c : cases) EXPECT_EQ(ClipToImage(c.area, 100, 50), c.clipped);
  EXPECT_EQ(ClipToImage(Rect{0, 0, 10, 10}, 0, 0), Rect{});
}

TEST(SkinButtonRules, ModeFromStyle) {
  EXPECT_EQ(ButtonModeFromStyle(0x50000000u), ButtonMode::Push);
  EXPECT_EQ(ButtonModeFromStyle(0x3u), ButtonMode::Toggle);   // BS_AUTOCHECKBOX
  EXPECT_EQ(ButtonModeFromStyle(0x9u), ButtonMode::Radio);    // BS_AUTORADIOBUTTON
  EXPECT_EQ(ButtonModeFromStyle(0x1u), ButtonMode::Push);     // BS_DEFPUSHBUTTON
  EXPECT_EQ(ButtonModeFromStyle(0xBu), ButtonMode::Toggle);   // owner-draw bits: 3 is checked first
  EXPECT_EQ(ButtonModeFromStyle(0x10000u), ButtonMode::Push); // high word ignored
}

TEST(SkinButtonRules, SetImagesClamps) {
  EXPECT_EQ(ClampDrawMode(5), DrawMode::Tiled);
  EXPECT_EQ(ClampDrawMode(-1), DrawMode::Unscaled);
  EXPECT_EQ(ClampDrawMode(1), DrawMode::Stretched);
  EXPECT_EQ(ClampFocusMargin(-3), 0);
  EXPECT_EQ(ClampFocusMargin(4), 4);
}
