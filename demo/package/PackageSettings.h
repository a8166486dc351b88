#pragma once
// The demo package's settings file (config/cg.txt) as ordered sections, and its text.
#include <string>
#include <utility>
#include <vector>

namespace demo {

struct IniSection {
  std::string name;
  std::vector<std::pair<std::string, std::string>> keys;  // UTF-8 values
};

class PackageSettings {
 public:
  // Every key the program reads, for a site at `siteUrl` (http://127.0.0.1:PORT).
  static PackageSettings ForSite(const std::string& siteUrl);

  // Sets (replaces or appends) a key; the section is matched without regard to ASCII case and
  // added at the end when missing.
  void Set(const std::string& section, const std::string& key, const std::string& value);
  // "key=value" into [global]; false when there is no '=' or the key is empty.
  bool SetGlobal(const std::string& assignment);
  // "section.key=value"; false when the form does not match.
  bool SetIn(const std::string& assignment);
  // The value, or null when absent.
  const std::string* Find(const std::string& section, const std::string& key) const;

  // INI text in UTF-8 (a comment line first, so no section header starts the file).
  std::string ToUtf8() const;
  // The same text in the system code page (GBK by default), as operators write it.
  std::string ToSystemCodePage() const;

  const std::vector<IniSection>& sections() const { return sections_; }

 private:
  std::vector<IniSection> sections_;
};

// A colour as the settings carry it: decimal 0x00BBGGRR.
int ColourValue(int red, int green, int blue);

}  // namespace demo
