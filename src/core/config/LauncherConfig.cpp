#include "core/config/LauncherConfig.h"

// 8-bit text as it stands: no conversion, ASCII-only case folding of names.
#define SI_NO_CONVERSION
#define SI_IMPLEMENTATION  // the template bodies; the system package keeps them behind this
#include <SimpleIni.h>

#include <algorithm>
#include <cctype>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "core/config/SettingsSchema.h"
#include "core/platform/CodePage.h"
#include "core/platform/MessageBox.h"
#include "core/platform/Paths.h"

namespace {

const char kStartupCaption[] = "启动失败";
const char kPackageName[] = "config.zip";
const char kGlobal[] = "global";
const char kCodePageEnv[] = "LAUNCHER_CODEPAGE";

void Fail(const char* text, const char* caption = kStartupCaption) {
  platform::ShowMessageBox(caption, text);
}

// Reads keys through the settings table: a missing key takes the table's default, and every key
// read is noted so that a test can hold the reader and the table together.
class TableReader {
 public:
  TableReader(const CSimpleIniA& document, std::vector<schema::KeyRead>& notes)
      : doc(document), read(notes) {}

  int Int(const schema::Section& table, const char* section, const char* key) {
    const schema::Key* rule = Note(table, key, schema::Kind::Int, 0);
    const char* value = doc.GetValue(section, key, nullptr);
    return ParseDecimal(value ? value : rule ? rule->fallback : "0");
  }

  template <std::size_t N>
  void Text(const schema::Section& table, const char* section, const char* key,
            FixedText<N>& field) {
    const schema::Key* rule = Note(table, key, schema::Kind::Text, static_cast<int>(N));
    field = doc.GetValue(section, key, rule ? rule->fallback : "");
  }

  // A value kept whole; null when the key is missing.
  const char* Value(const schema::Section& table, const char* section, const char* key) {
    Note(table, key, schema::Kind::Text, 0);
    return doc.GetValue(section, key, nullptr);
  }

  // A list's entry count; one beyond the list's bound is cut there and later sections ignored.
  int Count(const schema::Section& list) {
    const int count = Int(schema::Global(), kGlobal, list.countKey);
    return count > list.bound ? list.bound : count;
  }

 private:
  const schema::Key* Note(const schema::Section& table, const char* key, schema::Kind kind,
                            int capacity) {
    // From the back: a list's entries read its keys again right after they were noted.
    const bool noted = std::any_of(read.rbegin(), read.rend(), [&](const schema::KeyRead& k) {
      return k.key == key && k.section == table.prefix;
    });
    if (!noted) read.push_back({table.prefix, key, kind, capacity});
    return schema::Find(table, key);
  }

  const CSimpleIniA& doc;
  std::vector<schema::KeyRead>& read;
};

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
  keysRead.clear();
  TableReader read(doc, keysRead);
  const schema::Section& global = schema::Global();
  const schema::Section& linkTable = *schema::List("link");
  const schema::Section& menuTable = *schema::List("menu");
  const schema::Section& pictureTable = *schema::List("gamePic");
  const schema::Section& buttonTable = *schema::List("gamebutton");

  const char* env = std::getenv(kCodePageEnv);
  if (env && *env) {
    codepage::SetSystemCodePage(env);
  } else if (const char* chosen = read.Value(global, kGlobal, "codePage"); chosen && *chosen) {
    codepage::SetSystemCodePage(chosen);
  }

  read.Text(global, kGlobal, "gameheader", gameheader);
  links.clear();
  const int linkCount = read.Count(linkTable);
  s.left = read.Int(global, kGlobal, "left");
  s.right = read.Int(global, kGlobal, "right");
  s.top = read.Int(global, kGlobal, "top");
  s.bottom = read.Int(global, kGlobal, "bottom");
  s.topLeftImage = read.Int(global, kGlobal, "topLeftImage");
  s.topRightImage = read.Int(global, kGlobal, "topRightImage");
  s.bottomLeftImage = read.Int(global, kGlobal, "bottomLeftImage");
  s.bottomRight = read.Int(global, kGlobal, "bottomRight");
  s.topImage = read.Int(global, kGlobal, "topImage");
  s.leftImage = read.Int(global, kGlobal, "leftImage");
  s.htmlHeadHeight = read.Int(global, kGlobal, "htmlHeadHeight");
  s.minGameWidth = read.Int(global, kGlobal, "minGameWidth");
  s.minGameHeight = read.Int(global, kGlobal, "minGameHeight");

  s.urlplatform.clear();
  s.platform.clear();
  s.gkey.clear();
  s.skey.clear();
  s.sign.clear();
  read.Text(global, kGlobal, "urlplatform", s.urlplatform);
  read.Text(global, kGlobal, "platform", s.platform);
  read.Text(global, kGlobal, "gkey", s.gkey);
  read.Text(global, kGlobal, "skey", s.skey);
  read.Text(global, kGlobal, "sign", s.sign);
  read.Text(global, kGlobal, "maxheader", s.maxheader);
  read.Text(global, kGlobal, "serverindexheader", s.serverindexheader);
  read.Text(global, kGlobal, "macCountApiUrl", s.macCountApiUrl);
  s.trustedHosts.clear();
  read.Text(global, kGlobal, "trustedHosts", s.trustedHosts);

  edgeImages.clear();
  for (int i = 1; i <= 8; ++i)
    edgeImages.push_back(read.Int(global, kGlobal, SectionName("edgeImage%d", i).c_str()));

  s.titleColor = read.Int(global, kGlobal, "titleColor");
  s.loginCenterColor = read.Int(global, kGlobal, "loginCenterColor");
  read.Text(global, kGlobal, "title", s.title);
  read.Text(global, kGlobal, "firstUrl", s.firstUrl);
  read.Text(global, kGlobal, "notityTitle", s.notityTitle);
  read.Text(global, kGlobal, "notifyCloseTitle", s.notifyCloseTitle);
  read.Text(global, kGlobal, "clearFlashTitle", s.clearFlashTitle);
  read.Text(global, kGlobal, "clearFlashMsg", s.clearFlashMsg);
  read.Text(global, kGlobal, "closeMsg", s.closeMsg);
  read.Text(global, kGlobal, "versionUrl", s.versionUrl);
  read.Text(global, kGlobal, "exeUrl", s.exeUrl);
  read.Text(global, kGlobal, "server", s.server);
  read.Text(global, kGlobal, "version", s.version);
  s.port = read.Int(global, kGlobal, "port");
  const int menuCount = read.Count(menuTable);
  s.logx = read.Int(global, kGlobal, "logx");
  s.logy = read.Int(global, kGlobal, "logy");
  s.titlex = read.Int(global, kGlobal, "titlex");
  s.titley = read.Int(global, kGlobal, "titley");
  s.titleWidth = read.Int(global, kGlobal, "titleWidth");
  s.titleHeight = read.Int(global, kGlobal, "titleHeight");

  if (linkCount < 1) return false;

  for (int i = 1; i <= linkCount; ++i) {
    const std::string name = SectionName("link%d", i);
    LinkItem link;
    read.Text(linkTable, name.c_str(), "url", link.url);
    link.x = read.Int(linkTable, name.c_str(), "x");
    link.y = read.Int(linkTable, name.c_str(), "y");
    link.width = read.Int(linkTable, name.c_str(), "width");
    link.height = read.Int(linkTable, name.c_str(), "height");
    link.type = read.Int(linkTable, name.c_str(), "type");
    links.push_back(link);
  }

  menus.clear();
  for (int i = 1; i <= menuCount; ++i) {
    const std::string name = SectionName("menu%d", i);
    MenuItem menu;
    read.Text(menuTable, name.c_str(), "title", menu.title);
    menu.type = read.Int(menuTable, name.c_str(), "type");
    menu.shortCut = read.Int(menuTable, name.c_str(), "shortCut");
    menus.push_back(menu);
  }

  pictures.clear();
  const int picCount = read.Count(pictureTable);
  for (int i = 1; i <= picCount; ++i) {
    const std::string name = SectionName("gamePic%d", i);
    GamePicItem pic;
    pic.x = read.Int(pictureTable, name.c_str(), "x");
    pic.y = read.Int(pictureTable, name.c_str(), "y");
    pic.width = read.Int(pictureTable, name.c_str(), "width");
    pic.height = read.Int(pictureTable, name.c_str(), "height");
    pic.interval = read.Int(pictureTable, name.c_str(), "interval");
    pic.count = read.Int(pictureTable, name.c_str(), "count");
    pictures.push_back(pic);
  }

  gameButtons.clear();
  const int gameButtonCount = read.Count(buttonTable);
  for (int i = 1; i <= gameButtonCount; ++i) {
    const std::string name = SectionName("gamebutton%d", i);
    GameButtonItem button;
    button.x = read.Int(buttonTable, name.c_str(), "x");
    button.y = read.Int(buttonTable, name.c_str(), "y");
    button.type = read.Int(buttonTable, name.c_str(), "type");
    button.image = read.Int(buttonTable, name.c_str(), "image");
    button.shortCut = read.Int(buttonTable, name.c_str(), "shortCut");
    read.Text(buttonTable, name.c_str(), "title", button.title);
    read.Text(buttonTable, name.c_str(), "url", button.url);
    read.Text(buttonTable, name.c_str(), "tips", button.tips);
    button.color = read.Int(buttonTable, name.c_str(), "color");
    // `image` counts pictures from 1; one that names no picture leaves the size at 0.
    if (button.image >= 1 && static_cast<std::size_t>(button.image) <= pictures.size()) {
      button.width = pictures[button.image - 1].width;
      button.height = pictures[button.image - 1].height;
    }
    gameButtons.push_back(button);
  }
  return true;
}
