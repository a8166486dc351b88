#pragma once
// The operator's configuration package (config.zip) and the settings read from config/cg.txt.
#include <memory>
#include <string>
#include <vector>

#include "core/config/FixedText.h"
#include "core/config/SettingsSchema.h"
#include "core/config/ZipReader.h"
#include "core/platform/MappedFile.h"

struct IniDocument;

// One key of the settings document as written: names as in the file, the value's raw bytes.
struct SettingEntry {
  std::string section;
  std::string key;
  std::string value;
};

struct LauncherSettings {
  int top = 0;
  int left = 0;
  int right = 0;
  int bottom = 0;
  int topLeftImage = 0;
  int topRightImage = 0;
  int bottomLeftImage = 0;
  int bottomRight = 0;
  int topImage = 0;
  int leftImage = 0;
  int logx = 0;
  int logy = 0;
  int titlex = 0;
  int titley = 0;
  int titleWidth = 0;
  int titleHeight = 0;
  int htmlHeadHeight = 0;
  FixedText<128> title;
  FixedText<128> firstUrl;
  FixedText<64> notityTitle;
  FixedText<64> notifyCloseTitle;
  FixedText<64> clearFlashTitle;
  FixedText<128> clearFlashMsg;
  FixedText<128> versionUrl;
  FixedText<128> exeUrl;
  int port = 80;
  FixedText<64> server;
  FixedText<64> version;
  FixedText<64> closeMsg;
  int titleColor = 0xFFFFFF;
  int loginCenterColor = 0xFFFFFF;
  int minGameWidth = 800;
  int minGameHeight = 600;
  FixedText<255> urlplatform;
  FixedText<255> platform;
  FixedText<255> gkey;
  FixedText<255> skey;
  FixedText<255> sign;
  FixedText<255> maxheader;
  FixedText<255> serverindexheader;
  FixedText<255> macCountApiUrl;
  // Hosts besides the game's own site whose pages may use window.external: "a.net, *.b.org".
  FixedText<1024> trustedHosts;
};

struct LinkItem {
  FixedText<256> url{"_blank"};
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
  int type = 0;
};

struct GamePicItem {
  int x = 0;
  int y = 0;
  int width = 0;
  int height = 0;
  int interval = 0;
  int count = 0;
};

struct GameButtonItem {
  int x = 0;
  int y = 0;
  int type = 0;
  int image = 0;
  int color = 0xFFFFFF;
  int shortCut = 0;
  FixedText<32> title;
  FixedText<256> url;
  FixedText<32> tips;
  int width = 0;   // copied from picture number `image` (counted from 1); 0 when none
  int height = 0;
};

struct MenuItem {
  FixedText<32> title;
  int type = 0;
  int shortCut = 0;
};

class CLauncherConfig {
 public:
  CLauncherConfig();
  ~CLauncherConfig();
  CLauncherConfig(const CLauncherConfig&) = delete;
  CLauncherConfig& operator=(const CLauncherConfig&) = delete;

  // Maps config.zip from the working directory and opens it; failures show their messages.
  bool OpenPackage();
  // The same for the package file at `path`.
  bool OpenPackageAt(const std::string& path);
  // Opens an archive held in caller memory that outlives this object (tests, benchmarks).
  bool OpenPackageFromMemory(const void* data, unsigned size);
  // Inflates the member and parses it as the settings document.
  bool LoadSettingsFile(const char* member);
  // Parses settings text directly (tests, fuzzing); same result codes as LoadSettingsFile.
  bool LoadSettingsData(const char* data, std::size_t size);
  // Fills every setting and list from the document; false when linkCount is below 1. The code
  // page named by LAUNCHER_CODEPAGE, else by global/codePage, becomes the system code page first.
  bool ReadSettings();

  // The inflated bytes of a member. `missingCaption` is the caption of the "读取图片失败"
  // message shown when the member is absent, and also when it is present but unreadable if
  // `required`. False on any failure (absent, damaged, too big).
  bool ReadImageMember(const char* member, std::vector<unsigned char>& bytes,
                       const char* missingCaption = "启动失败", bool required = false);
  // The same without any message: for callers that decide for themselves.
  bool ReadMember(const char* member, std::vector<unsigned char>& bytes) const;

  LauncherSettings& GetSettings() { return settings; }
  const LauncherSettings& GetSettings() const { return settings; }
  std::vector<LinkItem>& GetLinks() { return links; }
  std::vector<GamePicItem>& GetPictures() { return pictures; }
  std::vector<GameButtonItem>& GetGameButtons() { return gameButtons; }
  std::vector<MenuItem>& GetMenus() { return menus; }
  std::vector<int>& GetEdgeImages() { return edgeImages; }
  FixedText<64>& GetGameHeader() { return gameheader; }

  bool IsPackageOpen() const { return package != nullptr; }
  // The open archive, for callers that walk its members; null before a package is open.
  ZipHandle* GetPackageHandle() const { return package; }
  // Every key of the loaded settings document, sections and keys in file order.
  std::vector<SettingEntry> GetDocumentEntries() const;
  // Every key the last ReadSettings read, once each, as it read it.
  const std::vector<schema::KeyRead>& KeysRead() const { return keysRead; }

 private:
  std::unique_ptr<IniDocument> ini;
  std::unique_ptr<platform::MappedFile> mapping;
  ZipHandle* package = nullptr;

  FixedText<64> gameheader;
  std::vector<LinkItem> links;
  std::vector<GamePicItem> pictures;
  std::vector<GameButtonItem> gameButtons;
  LauncherSettings settings;
  std::vector<MenuItem> menus;
  std::vector<int> edgeImages;
  std::vector<schema::KeyRead> keysRead;
};

// Bounds on what a package may ask for; beyond them lists are cut and images refused.
namespace bounds {
inline constexpr int kMaxLinks = 64;
inline constexpr int kMaxMenus = 256;
inline constexpr int kMaxPictures = 1024;
inline constexpr int kMaxGameButtons = 256;
inline constexpr int kMaxImageSide = 8192;                      // pixels, either direction
inline constexpr long long kMaxImagePixels = 4096LL * 4096LL;  // 64 MiB decoded
}  // namespace bounds

// An image of width x height pixels is within the bounds.
bool IsImageSizeAccepted(long long width, long long height);

// The image message "读取图片失败" with `caption` (the start-up caption when null).
void ReportImageFailure(const char* caption);

// Decimal reading of integer settings: leading blanks skipped, optional sign, digits up to the
// first other character; no digits give 0. Overflow saturates.
int ParseDecimal(const char* text);
