#include "config/LauncherConfig.h"

// 8-bit text as it stands: no conversion, ASCII-only case folding of names.
#define SI_NO_CONVERSION
#define SI_IMPLEMENTATION  // the template bodies; the system package keeps them behind this
#include <SimpleIni.h>

#include <cctype>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/CodePage.h"
#include "platform/MessageBox.h"
#include "platform/Paths.h"

namespace {

const char kStartupCaption[] = "启动失败";
const char kPackageName[] = "config.zip";
const char kGlobal[] = "global";
const char kCodePageEnv[] = "LAUNCHER_CODEPAGE";

void Fail(const char* text, const char* caption = kStartupCaption) {
  platform::ShowMessageBox(caption, text);
}

// A count beyond its bound is cut there: the later sections are ignored.
int ReadCount(const CSimpleIniA& ini, const char* key, int bound) {
  const char* value = ini.GetValue(kGlobal, key, nullptr);
  const int count = value ? ParseDecimal(value) : 0;
  return count > bound ? bound : count;
}

int ReadInt(const CSimpleIniA& ini, const char* section, const char* key, int fallback) {
  const char* value = ini.GetValue(section, key, nullptr);
  return value ? ParseDecimal(value) : fallback;
}

template <std::size_t N>
void ReadText(const CSimpleIniA& ini, const char* section, const char* key, FixedText<N>& field,
              const char* fallback = "") {
  field = ini.GetValue(section, key, fallback);
}

std::string SectionName(const char* pattern, int number) {
  char name[32];
  std::snprintf(name, sizeof name, pattern, number);
  return name;
}

}  // namespace

struct IniDocument : CSimpleIniA {
  IniDocument() : CSimpleIniA(false, false, false) {}
};

int ParseDecimal(const char* text) {
  if (!text) return 0;
  const char* p = text;
  while (*p == ' ' || *p == '\t' || *p == '\n' || *p == '\v' || *p == '\f' || *p == '\r') ++p;
  bool negative = false;
  if (*p == '+' || *p == '-') negative = *p++ == '-';
  long long value = 0;
  const long long limit = negative ? -static_cast<long long>(INT_MIN) : INT_MAX;
  for (; *p >= '0' && *p <= '9'; ++p) {
    value = value * 10 + (*p - '0');
    if (value > limit) {
      value = limit;
      while (*p >= '0' && *p <= '9') ++p;
      break;
    }
  }
  return static_cast<int>(negative ? -value : value);
}

CLauncherConfig::CLauncherConfig() : ini(std::make_unique<IniDocument>()) {}

CLauncherConfig::~CLauncherConfig() { CloseZip(package); }

bool CLauncherConfig::OpenPackage() {
  return OpenPackageAt(platform::CurrentDirectory() + platform::PathSeparator() + kPackageName);
}

bool CLauncherConfig::OpenPackageAt(const std::string& path) {
  auto file = std::make_unique<platform::MappedFile>();
  switch (file->Open(path)) {
    case platform::MappedFile::Status::Ok:
      break;
    case platform::MappedFile::Status::Empty:
      Fail("没有附加配置文件,请打包配置文件");
      return false;
    case platform::MappedFile::Status::CannotMap:
      Fail("CreateMapFile fail");
      return false;
    case platform::MappedFile::Status::CannotOpen:
    case platform::MappedFile::Status::CannotView:
      return false;
  }
  if (!OpenPackageFromMemory(file->data(), static_cast<unsigned>(file->size()))) return false;
  mapping = std::move(file);
  return true;
}

bool CLauncherConfig::OpenPackageFromMemory(const void* data, unsigned size) {
  ZipHandle* handle = OpenZip(data, size, ZipSource::Memory);
  if (!handle) {
    Fail("OpenZip失败");
    return false;
  }
  CloseZip(package);
  package = handle;
  return true;
}

bool CLauncherConfig::ReadMember(const char* member, std::vector<unsigned char>& bytes) const {
  int index = -1;
  ZipEntryInfo entry;
  if (FindZipEntry(package, member, false, index, entry) != ZR_OK) return false;
  // The declared size is only a number: nothing is allocated for a size the member's real
  // bytes cannot produce.
  if (!IsZipEntrySizePlausible(package, entry)) return false;
  bytes.assign(entry.uncompressedSize, 0);
  unsigned char none = 0;
  unsigned char* out = bytes.empty() ? &none : bytes.data();
  if (UnzipEntry(package, index, out, entry.uncompressedSize, ZipSource::Memory) != ZR_OK) {
    bytes.clear();
    return false;
  }
  return true;
}

bool IsImageSizeAccepted(long long width, long long height) {
  return width > 0 && height > 0 && width <= bounds::kMaxImageSide &&
         height <= bounds::kMaxImageSide && width * height <= bounds::kMaxImagePixels;
}

void ReportImageFailure(const char* caption) {
  Fail("读取图片失败", caption ? caption : kStartupCaption);
}

bool CLauncherConfig::ReadImageMember(const char* member, std::vector<unsigned char>& bytes,
                                      const char* missingCaption, bool required) {
  int index = -1;
  ZipEntryInfo entry;
  if (FindZipEntry(package, member, false, index, entry) != ZR_OK) {
    ReportImageFailure(missingCaption);
    return false;
  }
  if (ReadMember(member, bytes)) return true;
  // A damaged member the program cannot go on without must not end it without a word.
  if (required) ReportImageFailure(missingCaption);
  return false;
}

bool CLauncherConfig::LoadSettingsFile(const char* member) {
  int index = -1;
  ZipEntryInfo entry;
  std::vector<unsigned char> bytes;
  // A member that is absent, damaged or fails its check is equally unreadable.
  if (FindZipEntry(package, member, false, index, entry) != ZR_OK || !ReadMember(member, bytes)) {
    Fail("读取ini文件失败");
    return false;
  }
  return LoadSettingsData(reinterpret_cast<const char*>(bytes.data()), bytes.size());
}

bool CLauncherConfig::LoadSettingsData(const char* data, std::size_t size) {
  ini->Reset();
  SI_Error rc = SI_OK;
  if (size >= 3 && std::memcmp(data, "\xEF\xBB\xBF", 3) == 0) {
    // The parser would drop a UTF-8 signature; a leading line break keeps it part of the first
    // line, as the operators' files expect of this 8-bit reader.
    std::string text;
    text.reserve(size + 1);
    text.push_back('\n');
    text.append(data, size);
    rc = ini->LoadData(text.data(), text.size());
  } else {
    rc = ini->LoadData(data, size);
  }
  if (rc < 0) {
    Fail("装载ini文件失败");
    return false;
  }
  return true;
}

std::vector<SettingEntry> CLauncherConfig::GetDocumentEntries() const {
  std::vector<SettingEntry> entries;
  CSimpleIniA::TNamesDepend sections;
  ini->GetAllSections(sections);
  sections.sort(CSimpleIniA::Entry::LoadOrder());
  for (const auto& section : sections) {
    CSimpleIniA::TNamesDepend keys;
    ini->GetAllKeys(section.pItem, keys);
    keys.sort(CSimpleIniA::Entry::LoadOrder());
    if (keys.empty()) entries.push_back({section.pItem, "", ""});  // a section without keys
    for (const auto& key : keys) {
      const char* value = ini->GetValue(section.pItem, key.pItem, "");
      entries.push_back({section.pItem, key.pItem, value ? value : ""});
    }
  }
  return entries;
}

bool CLauncherConfig::ReadSettings() {
  const CSimpleIniA& doc = *ini;
  LauncherSettings& s = settings;

  const char* env = std::getenv(kCodePageEnv);
  if (env && *env) {
    codepage::SetSystemCodePage(env);
  } else if (const char* chosen = doc.GetValue(kGlobal, "codePage", nullptr); chosen && *chosen) {
    codepage::SetSystemCodePage(chosen);
  }

  ReadText(doc, kGlobal, "gameheader", gameheader);
  links.clear();
  const int linkCount = ReadCount(doc, "linkCount", bounds::kMaxLinks);
  s.left = ReadInt(doc, kGlobal, "left", 0);
  s.right = ReadInt(doc, kGlobal, "right", 0);
  s.top = ReadInt(doc, kGlobal, "top", 0);
  s.bottom = ReadInt(doc, kGlobal, "bottom", 0);
  s.topLeftImage = ReadInt(doc, kGlobal, "topLeftImage", 0);
  s.topRightImage = ReadInt(doc, kGlobal, "topRightImage", 0);
  s.bottomLeftImage = ReadInt(doc, kGlobal, "bottomLeftImage", 0);
  s.bottomRight = ReadInt(doc, kGlobal, "bottomRight", 0);
  s.topImage = ReadInt(doc, kGlobal, "topImage", 0);
  s.leftImage = ReadInt(doc, kGlobal, "leftImage", 0);
  s.htmlHeadHeight = ReadInt(doc, kGlobal, "htmlHeadHeight", 0);
  s.minGameWidth = ReadInt(doc, kGlobal, "minGameWidth", 800);
  s.minGameHeight = ReadInt(doc, kGlobal, "minGameHeight", 600);

  s.urlplatform.clear();
  s.platform.clear();
  s.gkey.clear();
  s.skey.clear();
  s.sign.clear();
  ReadText(doc, kGlobal, "urlplatform", s.urlplatform);
  ReadText(doc, kGlobal, "platform", s.platform);
  ReadText(doc, kGlobal, "gkey", s.gkey);
  ReadText(doc, kGlobal, "skey", s.skey);
  ReadText(doc, kGlobal, "sign", s.sign);
  ReadText(doc, kGlobal, "maxheader", s.maxheader);
  ReadText(doc, kGlobal, "serverindexheader", s.serverindexheader);
  ReadText(doc, kGlobal, "macCountApiUrl", s.macCountApiUrl);
  s.trustedHosts.clear();
  ReadText(doc, kGlobal, "trustedHosts", s.trustedHosts);

  edgeImages.clear();
  for (int i = 1; i <= 8; ++i)
    edgeImages.push_back(ReadInt(doc, kGlobal, SectionName("edgeImage%d", i).c_str(), 9));

  s.titleColor = ReadInt(doc, kGlobal, "titleColor", 0xFFFFFF);
  s.loginCenterColor = ReadInt(doc, kGlobal, "loginCenterColor", 0xFFFFFF);
  ReadText(doc, kGlobal, "title", s.title);
  ReadText(doc, kGlobal, "firstUrl", s.firstUrl);
  ReadText(doc, kGlobal, "notityTitle", s.notityTitle);
  ReadText(doc, kGlobal, "notifyCloseTitle", s.notifyCloseTitle);
  ReadText(doc, kGlobal, "clearFlashTitle", s.clearFlashTitle);
  ReadText(doc, kGlobal, "clearFlashMsg", s.clearFlashMsg);
  ReadText(doc, kGlobal, "closeMsg", s.closeMsg);
  ReadText(doc, kGlobal, "versionUrl", s.versionUrl);
  ReadText(doc, kGlobal, "exeUrl", s.exeUrl);
  ReadText(doc, kGlobal, "server", s.server);
  ReadText(doc, kGlobal, "version", s.version);
  s.port = ReadInt(doc, kGlobal, "port", 80);
  const int menuCount = ReadCount(doc, "menuCount", bounds::kMaxMenus);
  s.logx = ReadInt(doc, kGlobal, "logx", 0);
  s.logy = ReadInt(doc, kGlobal, "logy", 0);
  s.titlex = ReadInt(doc, kGlobal, "titlex", 0);
  s.titley = ReadInt(doc, kGlobal, "titley", 0);
  s.titleWidth = ReadInt(doc, kGlobal, "titleWidth", 0);
  s.titleHeight = ReadInt(doc, kGlobal, "titleHeight", 0);

  if (linkCount < 1) return false;

  for (int i = 1; i <= linkCount; ++i) {
    const std::string name = SectionName("link%d", i);
    LinkItem link;
    ReadText(doc, name.c_str(), "url", link.url, "_blank");
    link.x = ReadInt(doc, name.c_str(), "x", 0);
    link.y = ReadInt(doc, name.c_str(), "y", 0);
    link.width = ReadInt(doc, name.c_str(), "width", 0);
    link.height = ReadInt(doc, name.c_str(), "height", 0);
    link.type = ReadInt(doc, name.c_str(), "type", 0);
    links.push_back(link);
  }

  menus.clear();
  for (int i = 1; i <= menuCount; ++i) {
    const std::string name = SectionName("menu%d", i);
    MenuItem menu;
    ReadText(doc, name.c_str(), "title", menu.title);
    menu.type = ReadInt(doc, name.c_str(), "type", 0);
    menu.shortCut = ReadInt(doc, name.c_str(), "shortCut", 0);
    menus.push_back(menu);
  }

  pictures.clear();
  const int picCount = ReadCount(doc, "picCount", bounds::kMaxPictures);
  for (int i = 1; i <= picCount; ++i) {
    const std::string name = SectionName("gamePic%d", i);
    GamePicItem pic;
    pic.x = ReadInt(doc, name.c_str(), "x", 0);
    pic.y = ReadInt(doc, name.c_str(), "y", 0);
    pic.width = ReadInt(doc, name.c_str(), "width", 0);
    pic.height = ReadInt(doc, name.c_str(), "height", 0);
    pic.interval = ReadInt(doc, name.c_str(), "interval", 0);
    pic.count = ReadInt(doc, name.c_str(), "count", 0);
    pictures.push_back(pic);
  }

  gameButtons.clear();
  const int gameButtonCount = ReadCount(doc, "gameButtonCount", bounds::kMaxGameButtons);
  for (int i = 1; i <= gameButtonCount; ++i) {
    const std::string name = SectionName("gamebutton%d", i);
    GameButtonItem button;
    button.x = ReadInt(doc, name.c_str(), "x", 0);
    button.y = ReadInt(doc, name.c_str(), "y", 0);
    button.type = ReadInt(doc, name.c_str(), "type", 0);
    button.image = ReadInt(doc, name.c_str(), "image", 0);
    button.shortCut = ReadInt(doc, name.c_str(), "shortCut", 0);
    ReadText(doc, name.c_str(), "title", button.title);
    ReadText(doc, name.c_str(), "url", button.url);
    ReadText(doc, name.c_str(), "tips", button.tips);
    button.color = ReadInt(doc, name.c_str(), "color", 0xFFFFFF);
    // `image` counts pictures from 1; one that names no picture leaves the size at 0.
    if (button.image >= 1 && static_cast<std::size_t>(button.image) <= pictures.size()) {
      button.width = pictures[button.image - 1].width;
      button.height = pictures[button.image - 1].height;
    }
    gameButtons.push_back(button);
  }
  return true;
}
