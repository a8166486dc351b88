#include "PackageSettings.h"

#include <strings.h>

#include <iterator>

#include "../DemoKeys.h"
#include "Layout.h"
#include "core/platform/CodePage.h"

namespace demo {

int ColourValue(int red, int green, int blue) { return red | (green << 8) | (blue << 16); }

PackageSettings PackageSettings::ForSite(const std::string& siteUrl) {
  using namespace layout;
  PackageSettings s;
  auto set = [&s](const std::string& section, const std::string& key, const std::string& value) {
    s.Set(section, key, value);
  };
  auto num = [](int value) { return std::to_string(value); };

  const std::string g = "global";
  set(g, "title", "龙域传说");
  set(g, "firstUrl", "");
  set(g, "gameheader", kGameHeader);
  set(g, "maxheader", kMaxHeader);
  set(g, "urlplatform", siteUrl + kApiPath);
  set(g, "platform", kPlatform);
  set(g, "gkey", kGkey);
  set(g, "skey", "");
  set(g, "sign", kSign);
  set(g, "macCountApiUrl", siteUrl + kCountPath + "?mac=%s");
  set(g, "closeMsg", "确定要退出龙域传说吗？");
  set(g, "notityTitle", "龙域传说 - 单击恢复窗口");
  set(g, "notifyCloseTitle", "龙域传说已隐藏到托盘");
  set(g, "clearFlashTitle", "清除缓存");
  set(g, "clearFlashMsg", "清除游戏缓存后需要重新下载资源，确定要清除吗？");
  set(g, "titleColor", num(ColourValue(255, 214, 130)));
  set(g, "loginCenterColor", num(ColourValue(255, 255, 255)));
  set(g, "minGameWidth", "1024");
  set(g, "minGameHeight", "640");
  set(g, "logx", num(kLogo.x));
  set(g, "logy", num(kLogo.y));
  set(g, "titlex", num(kTitle.x));
  set(g, "titley", num(kTitle.y));
  set(g, "titleWidth", num(kTitle.width));
  set(g, "titleHeight", num(kTitle.height));
  // Read by the program but without effect; present as an operator's file carries them.
  set(g, "top", "0");
  set(g, "left", "0");
  set(g, "right", "0");
  set(g, "bottom", "0");
  set(g, "topLeftImage", "1");
  set(g, "topRightImage", "3");
  set(g, "bottomLeftImage", "6");
  set(g, "bottomRight", "8");
  set(g, "topImage", "2");
  set(g, "leftImage", "4");
  set(g, "htmlHeadHeight", num(kTitleBand));
  set(g, "versionUrl", siteUrl + "/version.txt");
  set(g, "exeUrl", siteUrl + "/Launcher.exe");
  set(g, "port", "80");
  set(g, "server", "127.0.0.1");
  set(g, "version", "1.0.0");
  set(g, "serverindexheader", "serverid=");
  for (int i = 1; i <= 8; ++i) set(g, "edgeImage" + num(i), num(i));

  // Links: the login page, two web links, minimise and close.
  set(g, "linkCount", num(1 + static_cast<int>(std::size(kLinkButtons))));
  set("link1", "url", siteUrl + kLoginPath);
  set("link1", "x", num(kBrowser.x));
  set("link1", "y", num(kBrowser.y));
  set("link1", "width", num(kBrowser.width));
  set("link1", "height", num(kBrowser.height));
  set("link1", "type", "4");
  for (const LinkButton& b : kLinkButtons) {
    const std::string section = "link" + num(b.number);
    set(section, "url", b.type == 1 ? siteUrl + b.path : "_blank");
    set(section, "x", num(b.rect.x));
    set(section, "y", num(b.rect.y));
    set(section, "width", num(b.rect.width));
    set(section, "height", num(b.rect.height));
    set(section, "type", num(b.type));
  }

  // Function keys: clear cache F7, full screen F11, restart F12.
  const struct {
    const char* title;
    int type;
    int key;
  } menus[] = {{"清除缓存", 2, 7}, {"全屏切换", 3, 11}, {"重新启动", 1, 12}};
  set(g, "menuCount", num(static_cast<int>(std::size(menus))));
  for (size_t i = 0; i < std::size(menus); ++i) {
    const std::string section = "menu" + num(static_cast<int>(i + 1));
    set(section, "title", menus[i].title);
    set(section, "type", num(menus[i].type));
    set(section, "shortCut", num(menus[i].key));
  }

  set(g, "picCount", num(kPictureCount));
  for (int i = 0; i < kPictureCount; ++i) {
    const std::string section = "gamePic" + num(i + 1);
    const Rect& r = kPictures[i].rect;
    set(section, "x", num(r.x));
    set(section, "y", num(r.y));
    set(section, "width", num(r.width));
    set(section, "height", num(r.height));
    const bool button = kPictures[i].glyph != Glyph::None;
    set(section, "interval", num(button ? kButtonInterval : 0));
    set(section, "count", num(button ? 3 : 1));
  }

  // Game buttons. The first one is the close button: the GM chat window copies it.
  const int gold = ColourValue(255, 226, 160);
  const struct {
    int type, image, x, y, shortCut;
    const char* title;
    std::string url;
    const char* tips;
  } buttons[] = {
      {5, 9, -36, 0, 0, "", "", "关闭"},
      {11, 13, -68, 0, 0, "", "", "全屏 (F11)"},
      {6, 11, -100, 0, 0, "", "", "最大化"},
      {10, 12, -100, 0, 0, "", "", "还原"},
      {7, 10, -132, 0, 0, "", "", "最小化"},
      {8, 14, -164, 0, 9, "", "", "隐藏到托盘 (Alt+D)"},
      {15, 15, -206, 0, 0, "", "", "刷新游戏"},
      {16, 16, -238, 0, 0, "", "", "清除缓存 (F7)"},
      {14, 17, -318, kPillTop, 0, "", "", "联系GM"},
      {12, 19, -388, kPillTop, 0, "充值", siteUrl + "/pay?from=client;ver=1", "充值中心"},
      {1, 18, -454, kPillTop, 0, "官网", siteUrl + "/news", "官方网站"},
      {13, 9, kUserNameRight, 0, 0, "", "", ""},
  };
  set(g, "gameButtonCount", num(static_cast<int>(std::size(buttons))));
  for (size_t i = 0; i < std::size(buttons); ++i) {
    const std::string section = "gamebutton" + num(static_cast<int>(i + 1));
    set(section, "x", num(buttons[i].x));
    set(section, "y", num(buttons[i].y));
    set(section, "type", num(buttons[i].type));
    set(section, "image", num(buttons[i].image));
    set(section, "color", num(gold));
    set(section, "shortCut", num(buttons[i].shortCut));
    set(section, "title", buttons[i].title);
    set(section, "url", buttons[i].url);
    set(section, "tips", buttons[i].tips);
  }
  return s;
}

void PackageSettings::Set(const std::string& section, const std::string& key,
                          const std::string& value) {
  IniSection* target = nullptr;
  for (IniSection& candidate : sections_) {
    if (strcasecmp(candidate.name.c_str(), section.c_str()) == 0) target = &candidate;
  }
  if (!target) {
    sections_.push_back({section, {}});
    target = &sections_.back();
  }
  for (auto& [name, text] : target->keys) {
    if (strcasecmp(name.c_str(), key.c_str()) == 0) {
      text = value;
      return;
    }
  }
  target->keys.emplace_back(key, value);
}

namespace {
// A line break in an assignment would smuggle further lines into the file.
bool SingleLine(const std::string& text) { return text.find_first_of("\r\n") == std::string::npos; }
}  // namespace

bool PackageSettings::SetGlobal(const std::string& assignment) {
  const size_t eq = assignment.find('=');
  if (eq == std::string::npos || eq == 0 || !SingleLine(assignment)) return false;
  Set("global", assignment.substr(0, eq), assignment.substr(eq + 1));
  return true;
}

bool PackageSettings::SetIn(const std::string& assignment) {
  const size_t eq = assignment.find('=');
  const size_t dot = assignment.find('.');
  if (eq == std::string::npos || dot == std::string::npos || dot == 0 || dot + 1 >= eq ||
      !SingleLine(assignment))
    return false;
  Set(assignment.substr(0, dot), assignment.substr(dot + 1, eq - dot - 1),
      assignment.substr(eq + 1));
  return true;
}

const std::string* PackageSettings::Find(const std::string& section,
                                         const std::string& key) const {
  for (const IniSection& candidate : sections_) {
    if (strcasecmp(candidate.name.c_str(), section.c_str()) != 0) continue;
    for (const auto& [name, text] : candidate.keys) {
      if (strcasecmp(name.c_str(), key.c_str()) == 0) return &text;
    }
  }
  return nullptr;
}

std::string PackageSettings::ToUtf8() const {
  std::string text = "; 龙域传说 client settings (demo operator package)\r\n";
  for (const IniSection& section : sections_) {
    text += "\r\n[" + section.name + "]\r\n";
    for (const auto& [name, value] : section.keys) text += name + "=" + value + "\r\n";
  }
  return text;
}

std::string PackageSettings::ToSystemCodePage() const {
  return codepage::Utf8ToSystem(ToUtf8());
}

}  // namespace demo
