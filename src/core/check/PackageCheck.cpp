#include "core/check/PackageCheck.h"


#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <set>

#include "core/check/CheckReport.h"
#include "core/config/LauncherConfig.h"
#include "core/config/SettingsSchema.h"
#include "core/config/ZipReader.h"
#include "core/game/GameButtonRules.h"
#include "core/launcher/LauncherRules.h"
#include "core/net/AdapterReport.h"
#include "core/platform/CodePage.h"
#include "core/platform/MessageBox.h"
#include "core/skin/SkinRules.h"

namespace packagecheck {

namespace {

const char kSettingsMember[] = "config/cg.txt";
const char kLauncherArtwork[] = "config/main1.png";
const char kStyleImage[] = "config/style.png";
const char kLogoImage[] = "config/logo.png";

using schema::Kind;
using KeyRule = schema::Key;
using ListSpec = schema::Section;

// The lists of the settings table, [global] left out.
std::vector<const ListSpec*> Lists() {
  std::vector<const ListSpec*> lists;
  for (const ListSpec& section : schema::Sections())
    if (section.countKey != nullptr) lists.push_back(&section);
  return lists;
}

std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

std::string Utf8(const std::string& systemText) { return codepage::SystemToUtf8(systemText); }

std::string Quote(const std::string& systemText) { return "\"" + Utf8(systemText) + "\""; }

bool Inside(const skin::Rect& r, int width, int height) {
  return r.left >= 0 && r.top >= 0 && r.right <= width && r.bottom <= height && r.left < r.right &&
         r.top < r.bottom;
}

std::string RectText(const skin::Rect& r) {
  return "(" + std::to_string(r.left) + "," + std::to_string(r.top) + ")-(" +
         std::to_string(r.right) + "," + std::to_string(r.bottom) + ")";
}

// A decimal value as an operator means it: optional blanks, sign and digits, nothing else.
bool IsPlainDecimal(const std::string& text) {
  std::size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
  const std::size_t digits = i;
  while (i < text.size() && text[i] >= '0' && text[i] <= '9') ++i;
  if (i == digits) return false;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
  return i == text.size();
}

// Whether the value is one the windows show to the player (titles, messages, tips).
bool ShownKey(const std::string& key) {
  static const std::set<std::string> kShown = {"title",           "notityTitle",   "notifyCloseTitle",
                                               "clearFlashTitle", "clearFlashMsg", "closeMsg",
                                               "tips"};
  return kShown.count(key) > 0;
}

// Well-formed UTF-8: no stray continuation bytes, no overlong forms, no surrogates.
bool IsUtf8(const std::string& text) {
  std::size_t i = 0;
  while (i < text.size()) {
    const auto c = static_cast<unsigned char>(text[i]);
    std::size_t length = 0;
    char32_t least = 0;
    if (c < 0x80) {
      ++i;
      continue;
    } else if (c >= 0xC2 && c <= 0xDF) {
      length = 2, least = 0x80;
    } else if (c >= 0xE0 && c <= 0xEF) {
      length = 3, least = 0x800;
    } else if (c >= 0xF0 && c <= 0xF4) {
      length = 4, least = 0x10000;
    } else {
      return false;
    }
    if (i + length > text.size()) return false;
    char32_t value = c & (0x7F >> length);
    for (std::size_t k = 1; k < length; ++k) {
      const auto next = static_cast<unsigned char>(text[i + k]);
      if ((next & 0xC0) != 0x80) return false;
      value = (value << 6) | (next & 0x3F);
    }
    if (value < least || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) return false;
    i += length;
  }
  return true;
}

std::u32string ToUtf32(const std::string& utf8) {
  const std::u16string units = codepage::Utf8ToUtf16(utf8);
  std::u32string out;
  for (std::size_t i = 0; i < units.size(); ++i) {
    char32_t c = units[i];
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < units.size() && units[i + 1] >= 0xDC00 &&
        units[i + 1] <= 0xDFFF)
      c = 0x10000 + ((c - 0xD800) << 10) + (units[++i] - 0xDC00);
    out += c;
  }
  return out;
}

std::string FromUtf32(char32_t c) {
  std::u16string units;
  if (c >= 0x10000) {
    units += static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
    units += static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
  } else {
    units += static_cast<char16_t>(c);
  }
  return codepage::Utf16ToUtf8(units);
}

// The list a section name belongs to and its number (from 1); null for none.
const ListSpec* ListOfSection(const std::string& section, int& number) {
  const std::string lower = Lower(section);
  for (const ListSpec* list : Lists()) {
    const std::string prefix = Lower(list->prefix);
    if (lower.compare(0, prefix.size(), prefix) != 0 || lower.size() == prefix.size()) continue;
    const std::string digits = lower.substr(prefix.size());
    if (digits.size() > 9 || digits[0] == '0' ||
        !std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; }))
      continue;
    number = std::stoi(digits);
    return list;
  }
  return nullptr;
}

class Checker {
 public:
  Checker(Report& report, const ImageDecoder& decode, const FontCoverage& fonts)
      : report(report), decode(decode), fonts(fonts) {}

  void Run(CLauncherConfig& config, bool opened) {
    if (!opened) {
      Add(Severity::Error, PackageName(),
          messages.empty() ? "cannot be read (missing, not a file, or not readable): the program "
                             "ends at once without a message"
                           : StopsWith());
      return;
    }
    ListMembers(config);
    messages.clear();
    if (!config.LoadSettingsFile(kSettingsMember)) {
      Add(Severity::Error, kSettingsMember, StopsWith() + MisplacedNote(kSettingsMember));
      return;
    }
    const bool read = config.ReadSettings();
    entries = config.GetDocumentEntries();
    IndexDocument();
    CheckDocumentNames();
    ListSettings();
    CheckTextEncoding(config);
    CheckFonts();
    if (!read) {
      Add(Severity::Error, Where("global", "linkCount"),
          "is " + ShownValue("global", "linkCount") +
              ", below 1: the program ends at once without a message");
      return;
    }
    CheckCodePage();
    CheckArtwork(config);
    CheckAddresses(config);
  }

  std::vector<std::string> messages;

 private:
  struct Given {
    std::string key;  // as written
    std::string value;
  };

  void Add(Severity severity, const std::string& where, const std::string& message) {
    report.problems.push_back({severity, where, message});
  }

  std::string PackageName() const { return report.path.empty() ? "config.zip" : report.path; }

  std::string StopsWith() const {
    std::string text = "the program stops with the message";
    for (const std::string& m : messages) text += " \"" + m + "\"";
    return text;
  }

  // A member whose name equals `name` but for letter case.
  std::string CaseVariant(const std::string& name) const {
    for (const Member& m : report.members)
      if (m.name != name && Lower(m.name) == Lower(name)) return m.name;
    return "";
  }

  // Why a member the program asks for by `name` is not found although the package seems to hold
  // it: written with backslashes, inside a folder, or in other letter case. Empty when none.
  std::string MisplacedNote(const std::string& name) const {
    for (const Member& m : report.members) {
      std::string slashed = m.name;
      std::replace(slashed.begin(), slashed.end(), '\\', '/');
      const bool backslashes = slashed != m.name;
      const bool nested = slashed.size() > name.size() + 1 &&
                          Lower(slashed).compare(slashed.size() - name.size(), name.size(),
                                                 Lower(name)) == 0 &&
                          slashed[slashed.size() - name.size() - 1] == '/';
      std::string held = " (the package holds \"" + Utf8(m.name) + "\"";
      if (nested) {
        const std::string folder = slashed.substr(0, slashed.size() - name.size());
        return held + ", inside the folder \"" + Utf8(folder) +
               "\": the program reads \"" + name +
               "\" from the top of the archive; zip the config folder itself, not the folder "
               "above it)";
      }
      if (backslashes && Lower(slashed) == Lower(name))
        return held + ", named with backslashes: the program expects \"" + name +
               "\" with \"/\"; make the archive again with a tool that writes \"/\", such as "
               "zip or 7-Zip)";
    }
    const std::string other = CaseVariant(name);
    if (!other.empty()) return " (the package holds \"" + other + "\": names are case-sensitive)";
    return "";
  }

  const Member* FindMember(const std::string& name) const {
    for (const Member& m : report.members)
      if (m.name == name) return &m;
    return nullptr;
  }

  void ListMembers(CLauncherConfig& config) {
    ZipHandle* zip = config.GetPackageHandle();
    std::set<std::string> seen;
    int encrypted = 0;
    const int count = ZipEntryCount(zip);
    for (int i = 0; i < count; ++i) {
      ZipEntryInfo info;
      if (GetZipEntry(zip, i, info) != ZR_OK) {
        Add(Severity::Error, PackageName(),
            "central directory entry " + std::to_string(i + 1) + " of " + std::to_string(count) +
                " is damaged: members from there on cannot be found");
        break;
      }
      Member m;
      m.name = info.name;
      m.method = info.method;
      m.compressedSize = info.compressedSize;
      m.uncompressedSize = info.uncompressedSize;
      m.crc32 = info.crc32;
      std::string why;
      if (info.flags & 1) {
        why = "encrypted";
      } else if (info.method != 0 && info.method != 8) {
        why = "method " + std::to_string(info.method) + " is neither stored (0) nor deflated (8)";
      } else if (info.uncompressedSize > kMaxZipMemberSize) {
        why = "larger than the reader's limit of 64 MiB";
      } else if (!IsZipEntrySizePlausible(zip, info)) {
        // Nothing is allocated for a size its compressed bytes cannot produce: a small archive
        // of such members would otherwise hold the check for minutes.
        why = "its declared size of " + std::to_string(info.uncompressedSize) +
              " bytes cannot come from its " + std::to_string(info.compressedSize) +
              " compressed bytes";
      } else {
        std::vector<unsigned char> bytes(info.uncompressedSize);
        unsigned char none = 0;
        const unsigned rc = UnzipEntry(zip, i, bytes.empty() ? &none : bytes.data(),
                                       info.uncompressedSize, ZipSource::Memory);
        if (rc == ZR_FLATE)
          why = "its deflated data is damaged";
        else if (rc != ZR_OK)
          why = "damaged (local header, sizes or CRC-32 do not match the directory)";
      }
      m.readable = why.empty();
      if (info.flags & 1)
        ++encrypted;
      else if (!why.empty())
        Add(Severity::Warning, m.name, "the program's reader refuses it: " + why);
      if (!seen.insert(m.name).second)
        Add(Severity::Warning, m.name, "present more than once: the program reads the first");
      report.members.push_back(m);
    }
    if (encrypted > 0)
      Add(Severity::Error, PackageName(),
          "is password-protected (" + std::to_string(encrypted) + " of " +
              std::to_string(report.members.size()) +
              " members encrypted), which the program cannot read: make the archive again "
              "without a password");
  }

  void IndexDocument() {
    for (const SettingEntry& e : entries) {
      auto& section = document[Lower(e.section)];
      if (!e.key.empty()) section[Lower(e.key)] = {e.key, e.value};
    }
  }

  const Given* Find(const std::string& section, const std::string& key) const {
    const auto s = document.find(Lower(section));
    if (s == document.end()) return nullptr;
    const auto k = s->second.find(Lower(key));
    return k == s->second.end() ? nullptr : &k->second;
  }

  bool HasSection(const std::string& section) const {
    return document.find(Lower(section)) != document.end();
  }

  std::string ShownValue(const std::string& section, const std::string& key) const {
    const Given* given = Find(section, key);
    return given ? Quote(given->value) : "missing";
  }

  void CheckDocumentNames() {
    std::vector<std::string> globalNames;
    for (const KeyRule& k : schema::Global().keys) globalNames.push_back(k.name);
    for (const SettingEntry& e : entries) {
      const std::string sectionKey = Lower(e.section);
      std::vector<std::string> known;
      int number = 0;
      if (sectionKey == "global") {
        known = globalNames;
      } else if (const ListSpec* list = ListOfSection(e.section, number)) {
        for (const KeyRule& k : list->keys) known.push_back(k.name);
        const Given* countValue = Find("global", list->countKey);
        const int count = countValue ? ParseDecimal(countValue->value.c_str()) : 0;
        if (number > count || number > list->bound) {
          if (reportedSections.insert(sectionKey).second)
            Add(Severity::Warning, "[" + e.section + "]",
                "beyond " + std::string(list->countKey) + "=" + std::to_string(count) +
                    (count > list->bound ? " (cut to " + std::to_string(list->bound) + ")" : "") +
                    ": the program does not read it");
          continue;
        }
      } else {
        if (reportedSections.insert(sectionKey).second) UnknownSection(e.section);
        continue;
      }
      if (e.key.empty()) continue;
      bool isKnown = false;
      for (const std::string& k : known) isKnown = isKnown || Lower(k) == Lower(e.key);
      if (isKnown) continue;
      const std::string nearest = NearestName(e.key, known);
      if (nearest.empty()) {
        Add(Severity::Warning, Where(e.section, e.key), "unknown key: the program does not read it");
      } else if (Find(e.section, nearest)) {
        Add(Severity::Warning, Where(e.section, e.key),
            "unknown key (nearest known key: " + nearest + ", which is also given): not read");
      } else {
        Add(Severity::Error, Where(e.section, e.key),
            "unknown key; did you mean " + nearest + "? " + nearest + " stays at its default");
      }
    }
  }

  void UnknownSection(const std::string& section) {
    if (section.empty()) {
      Add(Severity::Error, "[]",
          "keys before the first section header are not read (a UTF-8 signature directly before "
          "[global] hides that header: put a blank line or a comment first)");
      return;
    }
    std::string digits;
    for (char c : section)
      if (c >= '0' && c <= '9') digits += c;
    if (digits.empty() || digits.size() > 9) digits = "1";
    std::vector<std::string> known{"global"};
    for (const ListSpec* list : Lists()) known.push_back(list->prefix + digits);
    const std::string nearest = NearestName(section, known);
    Add(Severity::Warning, "[" + section + "]",
        "unknown section: the program does not read it" +
            (nearest.empty() ? std::string() : " (did you mean [" + nearest + "]?)"));
  }

  // Lists every key the program reads, given or default, and checks its value.
  void ListSettings() {
    for (const KeyRule& rule : schema::Global().keys) ListKey("global", rule);
    for (const ListSpec* entry : Lists()) {
      const ListSpec& list = *entry;
      const Given* countValue = Find("global", list.countKey);
      int count = countValue ? ParseDecimal(countValue->value.c_str()) : 0;
      if (count > list.bound) {
        Add(Severity::Warning, Where("global", list.countKey),
            std::to_string(count) + " is cut to " + std::to_string(list.bound) +
                ": the program reads no more entries");
        count = list.bound;
      }
      if (countValue && count < 0)
        Add(Severity::Warning, Where("global", list.countKey),
            "is negative: the list stays empty");
      int missing = 0;
      std::string firstMissing;
      for (int i = 1; i <= count; ++i) {
        const std::string section = list.prefix + std::to_string(i);
        if (!HasSection(section)) {
          if (missing++ == 0) firstMissing = section;
          continue;
        }
        for (const KeyRule& rule : list.keys) ListKey(section, rule);
      }
      if (missing > 0)
        Add(Severity::Warning, Where("global", list.countKey),
            "is " + std::to_string(count) + " but " + std::to_string(missing) +
                " of its sections are missing (first [" + firstMissing +
                "]): those entries are made of defaults");
    }
  }

  void ListKey(const std::string& section, const KeyRule& rule) {
    const Given* given = Find(section, rule.name);
    Setting s;
    s.section = section;
    s.key = rule.name;
    s.given = given != nullptr;
    s.value = given ? Utf8(given->value) : rule.fallback;
    report.settings.push_back(s);
    if (!given) return;
    const std::string where = Where(section, rule.name);
    const std::string& value = given->value;
    if (rule.kind == Kind::Int) {
      if (!IsPlainDecimal(value)) {
        std::string text = Quote(value) + " is not a plain decimal number: it reads as " +
                           std::to_string(ParseDecimal(value.c_str()));
        if (value.find("0x") != std::string::npos || value.find("0X") != std::string::npos)
          text += " (colours are written in decimal, 16777215 for white)";
        Add(Severity::Warning, where, text);
      }
      return;
    }
    if (rule.capacity > 0 && value.size() > static_cast<std::size_t>(rule.capacity - 1))
      Add(rule.address ? Severity::Error : Severity::Warning, where,
          "is " + std::to_string(value.size()) + " bytes long: the program keeps only the first " +
              std::to_string(rule.capacity - 1));
    if (std::string(rule.name) == "codePage") return;
    const std::size_t bad = codepage::FirstInvalidSystemByte(value);
    if (bad != std::string::npos)
      invalidText.push_back({Severity::Error, where,
          "byte 0x" + Hex(static_cast<unsigned char>(value[bad]), 2) + " at offset " +
              std::to_string(bad) + " is not valid " + codepage::SystemCodePage() +
              " text: it shows as a replacement character"});
    if (ShownKey(rule.name)) shownText += Utf8(value);
  }

  // A settings file saved as UTF-8 while its texts are read in another code page: one cause
  // with its remedy instead of an error for every value.
  void CheckTextEncoding(CLauncherConfig& config) {
    std::vector<unsigned char> bytes;
    const bool utf8 = config.ReadMember(kSettingsMember, bytes) &&
                      IsUtf8(std::string(bytes.begin(), bytes.end()));
    const bool nonAscii = std::any_of(bytes.begin(), bytes.end(), [](unsigned char c) { return c >= 0x80; });
    const std::string page = codepage::SystemCodePage();
    const bool readAsUtf8 = Lower(page) == "utf-8" || Lower(page) == "utf8";
    if (!utf8 || !nonAscii || readAsUtf8) {
      for (const Problem& p : invalidText) report.problems.push_back(p);
      return;
    }
    const char* env = std::getenv("LAUNCHER_CODEPAGE");
    const std::string remedy =
        env && *env ? "; LAUNCHER_CODEPAGE=" + std::string(env) +
                          " overrides the package's codePage: unset it or set it to UTF-8"
                    : "; codePage=UTF-8 in [global] fixes it (or save the file as " + page + ")";
    if (invalidText.empty()) {
      Add(Severity::Warning, kSettingsMember,
          "is UTF-8 text but read as " + page + ": its Chinese texts may show garbled" + remedy);
      return;
    }
    std::string keys;
    for (std::size_t i = 0; i < invalidText.size() && i < 3; ++i)
      keys += (i ? ", " : "") + invalidText[i].where;
    if (invalidText.size() > 3) keys += ", ...";
    Add(Severity::Error, kSettingsMember,
        "is saved as UTF-8 but read as " + page + ": " + std::to_string(invalidText.size()) +
            (invalidText.size() == 1 ? " value holds" : " values hold") + " bytes that are not " +
            page + " (" + keys + ")" + remedy);
  }

  // The texts a player reads, the program's own messages among them, need a font that has them.
  void CheckFonts() {
    if (!fonts) return;
    const std::u32string text = ToUtf32("启动失败读取图片失败" + shownText);
    const std::u32string missing = fonts(text);
    if (missing.empty()) return;
    std::u32string sample = missing.substr(0, 8);
    std::string shown;
    for (char32_t c : sample) shown += (shown.empty() ? "" : " ") + FromUtf32(c);
    Add(Severity::Warning, "fonts",
        "no installed font has " + std::to_string(missing.size()) + " of the characters of the "
            "program's messages and the package's texts (" + shown +
            (missing.size() > sample.size() ? " ..." : "") +
            "): they show as empty boxes; install a CJK font (fonts-noto-cjk, "
            "fonts-wqy-microhei or fonts-wqy-zenhei)");
  }

  void CheckCodePage() {
    const Given* chosen = Find("global", "codePage");
    if (!chosen || chosen->value.empty()) return;
    if (Lower(codepage::SystemCodePage()) != Lower(chosen->value))
      Add(Severity::Warning, Where("global", "codePage"),
          Quote(chosen->value) + " is not used (unknown to the system, or LAUNCHER_CODEPAGE "
                                 "overrides it): texts are read as " +
              codepage::SystemCodePage());
  }

  // Decodes an image member as a window would; `Image::decoded` false when it cannot be used.
  Image LoadImage(CLauncherConfig& config, const std::string& member, const std::string& user,
                  const std::string& missingEffect) {
    Image image;
    image.member = member;
    const Member* m = FindMember(member);
    if (!m) {
      Add(Severity::Error, member,
          "missing (" + user + "): " + missingEffect + MisplacedNote(member));
      return image;
    }
    std::vector<unsigned char> bytes;
    if (!config.ReadMember(member.c_str(), bytes)) {
      Add(Severity::Error, member, "cannot be read (" + user + "): " + missingEffect);
      report.images.push_back(image);
      return image;
    }
    const DecodedImage decoded = decode ? decode(bytes) : DecodedImage{};
    image.decoded = decoded.ok;
    image.width = decoded.width;
    image.height = decoded.height;
    if (decoded.tooLarge)
      Add(Severity::Error, member,
          "is " + Size(decoded.width, decoded.height) + ", beyond what the program accepts (" +
              std::to_string(bounds::kMaxImageSide) + " px a side, " +
              std::to_string(bounds::kMaxImagePixels) + " pixels) (" + user + "): " +
              missingEffect);
    else if (!decoded.ok)
      Add(Severity::Error, member, "is not a decodable image (" + user + ")");
    report.images.push_back(image);
    return image;
  }

  void CheckArtwork(CLauncherConfig& config) {
    const Image artwork =
        LoadImage(config, kLauncherArtwork, "the launcher's artwork",
                  "the program stops with the message \"读取图片失败\" (caption \"启动失败！\")");
    const bool launcherRuns = config.GetSettings().firstUrl.size() <= 2;
    const std::vector<LinkItem>& links = config.GetLinks();
    int browsers = 0;
    for (std::size_t i = 0; i < links.size(); ++i) {
      const LinkItem& link = links[i];
      const int number = static_cast<int>(i) + 1;
      const std::string section = "link" + std::to_string(number);
      const launcher::LinkControl control = launcher::ControlForLinkType(link.type);
      if (control == launcher::LinkControl::Browser) {
        ++browsers;
        const skin::Rect r{link.x, link.y, link.x + link.width, link.y + link.height};
        if (artwork.decoded && !Inside(r, artwork.width, artwork.height))
          Add(Severity::Error, "[" + section + "]",
              "the page's rectangle " + RectText(r) + " is not inside the launcher artwork (" +
                  Size(artwork.width, artwork.height) + ")");
        if (launcherRuns && !skin::IsOpenableLink(link.url.str()))
          Add(Severity::Error, Where(section, "url"),
              Quote(link.url.str()) + " is not an http:// or https:// address: the launcher's "
                                      "page cannot open it");
        continue;
      }
      if (control != launcher::LinkControl::Button) {
        Add(Severity::Warning, Where(section, "type"),
            std::to_string(link.type) + " makes nothing (1 to 3 are buttons, 4 the page)");
        continue;
      }
      const std::string user = "button of [" + section + "]";
      Image normal;
      for (char suffix : {'n', 'd', 'o'}) {
        const Image image =
            LoadImage(config, launcher::ButtonImageMember(number, suffix), user,
                      "the player sees \"读取图片失败\" and the launcher makes no further links");
        if (suffix == 'n') normal = image;
      }
      if (normal.decoded && artwork.decoded) {
        const skin::Rect r{link.x, link.y, link.x + normal.width, link.y + normal.height};
        if (!Inside(r, artwork.width, artwork.height))
          Add(Severity::Error, "[" + section + "]",
              "the button's rectangle " + RectText(r) + " is not inside the launcher artwork (" +
                  Size(artwork.width, artwork.height) + ")");
      }
      if (link.type == launcher::kLinkOpen) RefusedLink(section, link.url.str());
    }
    if (launcherRuns && browsers == 0)
      Add(Severity::Error, Where("global", "linkCount"),
          "no link has type 4: the launcher shows no login page");

    const Image style = LoadImage(config, kStyleImage, "the game window's frame and buttons",
                                  "the player sees \"读取图片失败\" and the game window's set-up stops");
    LoadImage(config, kLogoImage, "the game window's logo",
              "the player sees \"读取图片失败\" and the game window's set-up stops");
    CheckPictures(config, style);
  }

  // A link button's address as the button hands it on.
  void RefusedLink(const std::string& section, const std::string& url) {
    if (!skin::PackageLinkTarget(skin::LinkFromSetting(url)).empty()) return;
    Add(Severity::Error, Where(section, "url"),
        Quote(url) + " is refused by the button: it opens http://, https:// and mailto: "
                     "addresses, www. addresses and a program's own scheme://... links, never "
                     "files, paths or script");
  }

  void CheckPictures(CLauncherConfig& config, const Image& style) {
    const std::vector<GamePicItem>& pictures = config.GetPictures();
    std::set<int> used;
    const std::vector<int>& edges = config.GetEdgeImages();
    for (std::size_t k = 0; k < edges.size(); ++k) {
      const int picture = edges[k];
      if (picture >= 1 && static_cast<std::size_t>(picture) <= pictures.size()) {
        used.insert(picture);
        continue;
      }
      Add(Severity::Warning, Where("global", "edgeImage" + std::to_string(k + 1)),
          std::to_string(picture) + " names no picture (picCount=" +
              std::to_string(pictures.size()) + "): frame piece " + std::to_string(k + 1) +
              " stays empty");
    }
    const std::vector<GameButtonItem>& buttons = config.GetGameButtons();
    for (std::size_t b = 0; b < buttons.size(); ++b) {
      const GameButtonItem& button = buttons[b];
      const std::string section = "gamebutton" + std::to_string(b + 1);
      const GamePicItem* picture = game::ButtonPicture(button, pictures);
      if (!picture) {
        Add(Severity::Warning, Where(section, "image"),
            std::to_string(button.image) + " names no picture (picCount=" +
                std::to_string(pictures.size()) + "): no button is made");
        continue;
      }
      used.insert(button.image);
      if (style.decoded) {
        const std::array<skin::Rect, 3> sources = game::ButtonImageSources(*picture);
        const skin::Rect& last = sources[2];
        if (Inside(sources[0], style.width, style.height) &&
            !Inside(last, style.width, style.height))
          Add(Severity::Error, "[gamePic" + std::to_string(button.image) + "]",
              "the picture of [" + section + "] needs three images of " +
                  std::to_string(picture->height) + " px one under the other (interval " +
                  std::to_string(picture->interval) + "), down to y=" + std::to_string(last.bottom) +
                  ", but " + kStyleImage + " is " + std::to_string(style.height) + " px high");
      }
      if (game::ButtonHasLink(button.type) && !button.url.empty())
        RefusedLink(section, button.url.str());
    }
    if (!style.decoded) return;
    for (std::size_t i = 0; i < pictures.size(); ++i) {
      const GamePicItem& p = pictures[i];
      const skin::Rect r{p.x, p.y, p.x + p.width, p.y + p.height};
      if (Inside(r, style.width, style.height)) continue;
      const bool isUsed = used.count(static_cast<int>(i) + 1) > 0;
      Add(isUsed ? Severity::Error : Severity::Warning, "[gamePic" + std::to_string(i + 1) + "]",
          "the area " + RectText(r) + " is not inside " + kStyleImage + " (" +
              Size(style.width, style.height) + ")" + (isUsed ? "" : "; no frame piece or button uses it"));
    }
  }

  void CheckAddresses(CLauncherConfig& config) {
    const LauncherSettings& s = config.GetSettings();
    const std::string firstUrl = s.firstUrl.str();
    if (!firstUrl.empty() && firstUrl.size() <= 2)
      Add(Severity::Warning, Where("global", "firstUrl"),
          Quote(firstUrl) + " is shorter than 3 characters: ignored, the launcher runs");
    if (firstUrl.size() > 2 && !skin::IsOpenableLink(firstUrl))
      Add(Severity::Error, Where("global", "firstUrl"),
          Quote(firstUrl) + " is not an http:// or https:// address");
    if (firstUrl.size() <= 2 && config.GetGameHeader().empty())
      Add(Severity::Error, Where("global", "gameheader"),
          "is empty, so it matches the first navigation: the launcher closes at once and hands "
          "the login page on as the game address");
    // A marker written as a whole address must carry a scheme the pages can have.
    const std::pair<const char*, std::string> markers[] = {
        {"gameheader", config.GetGameHeader().str()}, {"maxheader", s.maxheader.str()}};
    for (const auto& [key, marker] : markers) {
      const std::size_t scheme = marker.find("://");
      if (scheme == std::string::npos) continue;
      const std::string name = Lower(marker.substr(0, scheme));
      if (name != "http" && name != "https")
        Add(Severity::Error, Where("global", key),
            Quote(marker) + " names a scheme other than http:// or https://: no page address "
                            "ever contains it");
    }
    if (s.maxheader.empty())
      Add(Severity::Warning, Where("global", "maxheader"),
          "is empty: every completed page counts as the game page");
    if (s.urlplatform.empty()) {
      Add(Severity::Warning, Where("global", "urlplatform"),
          "is empty: the player's and the server's names are not looked up");
    } else if (!skin::IsOpenableLink(s.urlplatform.str())) {
      Add(Severity::Error, Where("global", "urlplatform"),
          Quote(s.urlplatform.str()) + " is not an http:// or https:// address");
    }
    if (!s.macCountApiUrl.empty()) {
      std::string address;
      if (!adapterreport::ExpandReportAddress(s.macCountApiUrl.str(), "00:00:00:00:00:00",
                                              address))
        Add(Severity::Error, Where("global", "macCountApiUrl"),
            Quote(s.macCountApiUrl.str()) +
                " is refused: it may hold one %s (the adapter address) and %% only, and must stay "
                "within 255 characters");
      else if (!skin::IsOpenableLink(address))
        Add(Severity::Error, Where("global", "macCountApiUrl"),
            Quote(s.macCountApiUrl.str()) + " is not an http:// or https:// address");
    }
  }

  Report& report;
  const ImageDecoder& decode;
  const FontCoverage& fonts;
  std::vector<SettingEntry> entries;
  std::vector<Problem> invalidText;  // values with bytes the code page does not have
  std::string shownText;             // UTF-8: the values the windows show
  std::map<std::string, std::map<std::string, Given>> document;  // lower-case names
  std::set<std::string> reportedSections;
};

// Runs `check` with every message box of the program's reader recorded instead of shown.
template <typename F>
void WithRecordedMessages(Checker& checker, F&& check) {
  auto previous = platform::SetMessageBoxHandler([&checker](const platform::MessageBoxRequest& r) {
    checker.messages.push_back(r.caption == "启动失败" ? r.text : r.text + "\" (caption \"" + r.caption);
    return platform::MessageBoxResult::Ok;
  });
  check();
  platform::SetMessageBoxHandler(previous);
}

}  // namespace

int Report::Count(Severity severity) const {
  return static_cast<int>(std::count_if(problems.begin(), problems.end(),
                                        [severity](const Problem& p) { return p.severity == severity; }));
}

Report CheckPackageFile(const std::string& path, const ImageDecoder& decode,
                        const FontCoverage& fonts) {
  Report report;
  report.path = path;
  Checker checker(report, decode, fonts);
  WithRecordedMessages(checker, [&] {
    CLauncherConfig config;
    const bool opened = config.OpenPackageAt(path);
    checker.Run(config, opened);
  });
  return report;
}

Report CheckPackageBytes(const std::string& bytes, const std::string& path,
                         const ImageDecoder& decode, const FontCoverage& fonts) {
  Report report;
  report.path = path;
  Checker checker(report, decode, fonts);
  WithRecordedMessages(checker, [&] {
    CLauncherConfig config;
    bool opened = false;
    if (bytes.empty())
      platform::ShowMessageBox("启动失败", "没有附加配置文件,请打包配置文件");
    else
      opened = config.OpenPackageFromMemory(bytes.data(), static_cast<unsigned>(bytes.size()));
    checker.Run(config, opened);
  });
  return report;
}

std::string NearestName(const std::string& name, const std::vector<std::string>& known) {
  const std::string a = Lower(name);
  std::string best;
  std::size_t bestDistance = std::string::npos;
  for (const std::string& candidate : known) {
    const std::string b = Lower(candidate);
    // Edit distance where swapping two neighbouring letters counts as one edit.
    std::vector<std::vector<std::size_t>> d(a.size() + 1, std::vector<std::size_t>(b.size() + 1));
    for (std::size_t i = 0; i <= a.size(); ++i) d[i][0] = i;
    for (std::size_t j = 0; j <= b.size(); ++j) d[0][j] = j;
    for (std::size_t i = 1; i <= a.size(); ++i) {
      for (std::size_t j = 1; j <= b.size(); ++j) {
        d[i][j] = std::min({d[i - 1][j] + 1, d[i][j - 1] + 1,
                            d[i - 1][j - 1] + (a[i - 1] == b[j - 1] ? 0 : 1)});
        if (i > 1 && j > 1 && a[i - 1] == b[j - 2] && a[i - 2] == b[j - 1])
          d[i][j] = std::min(d[i][j], d[i - 2][j - 2] + 1);
      }
    }
    const std::vector<std::size_t>& row = d[a.size()];
    if (row[b.size()] < bestDistance) {
      bestDistance = row[b.size()];
      best = candidate;
    }
  }
  // Close enough to be a slip of the keyboard: a third of the name, at least one edit.
  const std::size_t allowed = std::max<std::size_t>(1, std::min(a.size(), best.size()) / 3);
  if (bestDistance == 0 || bestDistance > allowed) return "";
  return best;
}

}  // namespace packagecheck
