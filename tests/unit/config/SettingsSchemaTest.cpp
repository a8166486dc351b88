// The settings table against the program's reader and the package checker: the same keys, kinds,
// bounds and defaults everywhere.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <utility>

#include "ZipWriter.h"
#include "core/check/PackageCheck.h"
#include "core/config/LauncherConfig.h"
#include "core/config/SettingsSchema.h"

namespace {

// Every list present with one entry and no key given: everything else takes its default.
const char kOneOfEach[] =
    "[global]\nlinkCount=1\nmenuCount=1\npicCount=1\ngameButtonCount=1\n"
    "[link1]\n[menu1]\n[gamePic1]\n[gamebutton1]\n";

bool Read(CLauncherConfig& config, const std::string& text) {
  return config.LoadSettingsData(text.data(), text.size()) && config.ReadSettings();
}

TEST(SettingsSchema, TheReaderReadsExactlyTheTablesKeysAsTheTableDescribesThem) {
  CLauncherConfig config;
  ASSERT_TRUE(Read(config, kOneOfEach));

  std::set<std::pair<std::string, std::string>> table;
  for (const schema::Section& section : schema::Sections())
    for (const schema::Key& key : section.keys) table.insert({section.prefix, key.name});
  std::set<std::pair<std::string, std::string>> read;
  for (const schema::KeyRead& key : config.KeysRead()) {
    read.insert({key.section, key.key});
    const schema::Section* section =
        key.section == "global" ? &schema::Global() : schema::List(key.section);
    ASSERT_NE(section, nullptr) << key.section;
    const schema::Key* rule = schema::Find(*section, key.key);
    ASSERT_NE(rule, nullptr) << "[" << key.section << "] " << key.key << " is not in the table";
    EXPECT_EQ(key.kind, rule->kind) << key.key;
    EXPECT_EQ(key.capacity, rule->capacity) << "[" << key.section << "] " << key.key;
  }
  EXPECT_EQ(read, table);
}

TEST(SettingsSchema, MissingKeysTakeTheTablesDefaults) {
  CLauncherConfig config;
  ASSERT_TRUE(Read(config, kOneOfEach));
  const auto fallback = [](const schema::Section& section, const char* name) {
    const schema::Key* key = schema::Find(section, name);
    return key ? std::string(key->fallback) : std::string("(not in the table)");
  };
  const schema::Section& global = schema::Global();
  const LauncherSettings& s = config.GetSettings();
  const struct {
    const schema::Section& section;
    const char* key;
    std::string value;
  } cases[] = {
      {global, "minGameWidth", std::to_string(s.minGameWidth)},
      {global, "minGameHeight", std::to_string(s.minGameHeight)},
      {global, "port", std::to_string(s.port)},
      {global, "titleColor", std::to_string(s.titleColor)},
      {global, "loginCenterColor", std::to_string(s.loginCenterColor)},
      {global, "edgeImage1", std::to_string(config.GetEdgeImages().at(0))},
      {global, "edgeImage8", std::to_string(config.GetEdgeImages().at(7))},
      {global, "title", s.title.str()},
      {*schema::List("link"), "url", config.GetLinks().at(0).url.str()},
      {*schema::List("link"), "type", std::to_string(config.GetLinks().at(0).type)},
      {*schema::List("gamebutton"), "color", std::to_string(config.GetGameButtons().at(0).color)},
      {*schema::List("menu"), "shortCut", std::to_string(config.GetMenus().at(0).shortCut)},
  };
  for (const auto& c : cases) EXPECT_EQ(c.value, fallback(c.section, c.key)) << c.key;
}

TEST(SettingsSchema, TheCheckerListsEveryKeyTheReaderReadsWithTheSameDefault) {
  ZipWriter zip;
  zip.Add("config/cg.txt", kOneOfEach);
  const packagecheck::Report report = packagecheck::CheckPackageBytes(
      zip.Finish(), "config.zip", [](const std::vector<unsigned char>&) { return packagecheck::DecodedImage{}; });

  std::set<std::pair<std::string, std::string>> listed;
  for (const packagecheck::Setting& setting : report.settings) {
    const bool global = setting.section == "global";
    const schema::Section* section =
        global ? &schema::Global() : schema::List(setting.section.substr(0, setting.section.size() - 1));
    ASSERT_NE(section, nullptr) << setting.section;
    const schema::Key* key = schema::Find(*section, setting.key);
    ASSERT_NE(key, nullptr) << setting.section << " " << setting.key;
    if (!setting.given) EXPECT_EQ(setting.value, key->fallback) << setting.key;
    listed.insert({section->prefix, setting.key});
  }
  CLauncherConfig config;
  ASSERT_TRUE(Read(config, kOneOfEach));
  std::set<std::pair<std::string, std::string>> read;
  for (const schema::KeyRead& key : config.KeysRead()) read.insert({key.section, key.key});
  EXPECT_EQ(listed, read);
}

}  // namespace
