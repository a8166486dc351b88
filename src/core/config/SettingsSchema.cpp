#include "core/config/SettingsSchema.h"

#include "core/config/LauncherConfig.h"

namespace schema {

namespace {

Key Int(const char* name, const char* fallback, const char* description) {
  return {name, Kind::Int, 0, fallback, false, description};
}
Key Text(const char* name, int capacity, const char* description) {
  return {name, Kind::Text, capacity, "", false, description};
}
Key Address(const char* name, int capacity, const char* description, const char* fallback = "") {
  return {name, Kind::Text, capacity, fallback, true, description};
}

std::vector<Section> MakeSections() {
  Section global{"global", nullptr, 0, {
      Address("gameheader", 64, "marks the game address the login page goes to"),
      Int("linkCount", "0", "number of [linkN] sections"),
      Int("left", "0", "game frame: left border width"),
      Int("right", "0", "game frame: right border width"),
      Int("top", "0", "game frame: top border height"),
      Int("bottom", "0", "game frame: bottom border height"),
      Int("topLeftImage", "0", "game frame: top-left corner picture"),
      Int("topRightImage", "0", "game frame: top-right corner picture"),
      Int("bottomLeftImage", "0", "game frame: bottom-left corner picture"),
      Int("bottomRight", "0", "game frame: bottom-right corner picture"),
      Int("topImage", "0", "game frame: top edge picture"),
      Int("leftImage", "0", "game frame: left edge picture"),
      Int("htmlHeadHeight", "0", "height of the page's own head above the game"),
      Int("minGameWidth", "800", "smallest width of the game page"),
      Int("minGameHeight", "600", "smallest height of the game page"),
      Address("urlplatform", 255, "platform API address"),
      Text("platform", 255, "platform name sent to the API"),
      Text("gkey", 255, "game key sent to the API"),
      Text("skey", 255, "server key sent to the API"),
      Text("sign", 255, "signing secret of the API"),
      Address("maxheader", 255, "marks the game page inside a portal"),
      Text("serverindexheader", 255, "marks the server number in the game address"),
      Address("macCountApiUrl", 255, "address counting first installations"),
      Text("trustedHosts", 1024, "further hosts whose pages may use window.external"),
      Int("edgeImage1", "9", "game frame: edge piece 1"),
      Int("edgeImage2", "9", "game frame: edge piece 2"),
      Int("edgeImage3", "9", "game frame: edge piece 3"),
      Int("edgeImage4", "9", "game frame: edge piece 4"),
      Int("edgeImage5", "9", "game frame: edge piece 5"),
      Int("edgeImage6", "9", "game frame: edge piece 6"),
      Int("edgeImage7", "9", "game frame: edge piece 7"),
      Int("edgeImage8", "9", "game frame: edge piece 8"),
      Int("titleColor", "16777215", "title text colour (decimal RGB)"),
      Int("loginCenterColor", "16777215", "launcher's centre colour (decimal RGB)"),
      Text("title", 128, "window title"),
      Address("firstUrl", 128, "game address that skips the launcher"),
      Text("notityTitle", 64, "tray icon's tip"),
      Text("notifyCloseTitle", 64, "caption of the close question"),
      Text("clearFlashTitle", 64, "caption of the cache purge question"),
      Text("clearFlashMsg", 128, "text of the cache purge question"),
      Text("closeMsg", 64, "text of the close question"),
      Address("versionUrl", 128, "version check address"),
      Address("exeUrl", 128, "program download address"),
      Text("server", 64, "update server"),
      Text("version", 64, "package version"),
      Int("port", "80", "update server's port"),
      Int("menuCount", "0", "number of [menuN] sections"),
      Int("logx", "0", "logo's left edge"),
      Int("logy", "0", "logo's top edge"),
      Int("titlex", "0", "title band's left edge"),
      Int("titley", "0", "title band's top edge"),
      Int("titleWidth", "0", "title band's width"),
      Int("titleHeight", "0", "title band's height"),
      Int("picCount", "0", "number of [gamePicN] sections"),
      Int("gameButtonCount", "0", "number of [gamebuttonN] sections"),
      Text("codePage", 0, "encoding of this file's texts (GBK when unset)"),
  }};
  Section links{"link", "linkCount", bounds::kMaxLinks, {
      Address("url", 256, "button's link or login page's address", "_blank"),
      Int("x", "0", "left edge in the launcher artwork"),
      Int("y", "0", "top edge in the launcher artwork"),
      Int("width", "0", "login page's width"),
      Int("height", "0", "login page's height"),
      Int("type", "0", "1 to 3 a button, 4 the login page"),
  }};
  Section menus{"menu", "menuCount", bounds::kMaxMenus, {
      Text("title", 32, "menu entry's text"),
      Int("type", "0", "operation the entry runs"),
      Int("shortCut", "0", "function key of the entry"),
  }};
  Section pictures{"gamePic", "picCount", bounds::kMaxPictures, {
      Int("x", "0", "left edge in config/style.png"),
      Int("y", "0", "top edge in config/style.png"),
      Int("width", "0", "picture's width"),
      Int("height", "0", "picture's height"),
      Int("interval", "0", "distance between a button's state pictures"),
      Int("count", "0", "number of state pictures"),
  }};
  Section buttons{"gamebutton", "gameButtonCount", bounds::kMaxGameButtons, {
      Int("x", "0", "left edge in the game window"),
      Int("y", "0", "top edge in the game window"),
      Int("type", "0", "operation the button runs"),
      Int("image", "0", "picture number of the button"),
      Int("color", "16777215", "caption colour (decimal RGB)"),
      Int("shortCut", "0", "function key of the button"),
      Text("title", 32, "button's caption"),
      Address("url", 256, "address a link button opens"),
      Text("tips", 32, "button's tool tip"),
  }};
  return {global, links, menus, pictures, buttons};
}

}  // namespace

const std::vector<Section>& Sections() {
  static const std::vector<Section> sections = MakeSections();
  return sections;
}

const Section& Global() { return Sections().front(); }

const Section* List(const std::string& prefix) {
  for (const Section& section : Sections())
    if (section.countKey != nullptr && prefix == section.prefix) return &section;
  return nullptr;
}

const Key* Find(const Section& section, const std::string& name) {
  for (const Key& key : section.keys)
    if (name == key.name) return &key;
  return nullptr;
}

}  // namespace schema
