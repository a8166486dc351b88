#include "core/game/GameTitleRules.h"

#include "core/platform/CodePage.h"
#include "core/web/PageRules.h"

namespace game {

namespace {

bool Contains(std::string_view text, std::string_view part) {
  return text.find(part) != std::string_view::npos;
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Title band

Rect TitleBandRect(const LauncherSettings& settings) {
  return RectOfSize(settings.titlex, settings.titley, settings.titleWidth, settings.titleHeight);
}

Rect UserNameBox(int userNameRight, const Rect& titleRect) {
  return Rect{userNameRight - kUserNameBoxWidth, titleRect.top, userNameRight, titleRect.bottom};
}

// ---------------------------------------------------------------------------------------------
// Completed pages and the title

CompletedPage ClassifyCompletedPage(std::string_view address, std::string_view maxheader,
                                    bool topFrame) {
  if (!topFrame) {
    const std::string place = pagerules::PlaceOf(address);
    return !place.empty() && Contains(place, maxheader) ? CompletedPage::Game : CompletedPage::Ignored;
  }
  if (Contains(address, maxheader)) return CompletedPage::Game;
  if (Contains(address, "192.168.1")) return CompletedPage::LocalDevice;
  return CompletedPage::Ignored;
}

std::optional<std::string> FindServerIdentifier(std::string_view address) {
  static constexpr std::string_view kMarkers[] = {
      "467/s",      "serverid=s", "server_id=s", "skey=s", "sid=s",
      "serverid=S", "server_id=S", "skey=S",     "sid=S",  "serverid=",
      "server_id=", "skey=",      "sid=",        "serveridx=",
  };
  for (std::size_t m = 0; m < std::size(kMarkers); ++m) {
    const std::size_t start = address.find(kMarkers[m]);
    if (start == std::string_view::npos) continue;
    const std::size_t end = m == 0 ? address.size() : address.find('&', start);
    if (end == std::string_view::npos) continue;
    const std::size_t from = start + kMarkers[m].size();
    return std::string(address.substr(from, end - from));
  }
  return std::nullopt;
}

std::string ServerSuffix(std::string_view identifier) {
  const std::string id(identifier);
  const int number = ParseDecimal(id.c_str());
  auto at = [&id](std::size_t i) { return i < id.size() ? id[i] : '\0'; };
  if (number <= 8000) return codepage::Utf8ToSystem(" [双线") + id + codepage::Utf8ToSystem("服]");
  // The server number is the third to fifth characters; at most two leading zeros are dropped.
  std::size_t first = 2;
  if (at(2) == '0') first = at(3) != '0' ? 3 : (at(4) != '0' ? 4 : 5);
  std::string digits;
  for (std::size_t i = first; i <= 4; ++i)
    if (at(i) != '\0') digits += at(i);
  return codepage::Utf8ToSystem(" [不删档") + digits + codepage::Utf8ToSystem("服]");
}

std::optional<std::string> ComposeServerTitle(std::string_view address, std::string_view storedTitle) {
  const std::optional<std::string> identifier = FindServerIdentifier(address);
  if (!identifier) return std::nullopt;
  return std::string(storedTitle) + ServerSuffix(*identifier);
}

std::string TitleText(std::string_view text) {
  return std::string(codepage::CutAtCharacter(text, kTitleTextLimit));
}

std::string StoredTitle(std::string_view text) {
  return std::string(codepage::CutAtCharacter(text, kStoredTitleLimit));
}

std::string TitleWithServerName(std::string_view title, std::string_view serverName) {
  std::string text(title);
  text += serverName;
  return TitleText(text);
}

std::string PageCommandTitle(std::string_view storedTitle, std::string_view parameter) {
  std::string text(storedTitle);
  text += '-';
  text += parameter;
  return TitleText(text);
}

}  // namespace game
