#include "core/web/EngineSwitches.h"

#include <vector>

namespace engineswitches {
namespace {

constexpr std::string_view kSwitches[] = {
    "--disable-background-timer-throttling",
    "--disable-renderer-backgrounding",
    "--disable-backgrounding-occluded-windows",
};
constexpr std::string_view kDisableFeatures = "--disable-features";
constexpr std::string_view kFeature = "IntensiveWakeUpThrottling";

std::vector<std::string_view> Words(std::string_view text) {
  std::vector<std::string_view> words;
  std::size_t i = 0;
  while (i < text.size()) {
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t' || text[i] == '\n')) ++i;
    const std::size_t start = i;
    while (i < text.size() && text[i] != ' ' && text[i] != '\t' && text[i] != '\n') ++i;
    if (i > start) words.push_back(text.substr(start, i - start));
  }
  return words;
}

// The switch's name without its dashes and value ("--a=b" and "-a" name "a"); empty for a word
// that is no switch.
std::string_view NameOf(std::string_view word) {
  if (word.size() < 2 || word[0] != '-') return {};
  word.remove_prefix(word[1] == '-' ? 2 : 1);
  return word.substr(0, word.find('='));
}

bool ListHas(std::string_view list, std::string_view item) {
  while (!list.empty()) {
    const std::size_t comma = list.find(',');
    std::string_view entry = list.substr(0, comma);
    // An entry may carry a field trial ("Feature<Trial") or parameters ("Feature:k/v").
    entry = entry.substr(0, entry.find_first_of("<:"));
    if (entry == item) return true;
    if (comma == std::string_view::npos) break;
    list.remove_prefix(comma + 1);
  }
  return false;
}

}  // namespace

std::string WithHiddenPageTimers(std::string_view given) {
  std::vector<std::string> words;
  for (std::string_view word : Words(given)) words.emplace_back(word);
  for (std::string_view wanted : kSwitches) {
    bool present = false;
    for (const std::string& word : words) present = present || NameOf(word) == NameOf(wanted);
    if (!present) words.emplace_back(wanted);
  }
  // The engine reads only the last of a repeated switch.
  std::string* features = nullptr;
  for (std::string& word : words)
    if (NameOf(word) == NameOf(kDisableFeatures)) features = &word;
  if (features == nullptr) {
    words.push_back(std::string(kDisableFeatures) + "=" + std::string(kFeature));
  } else {
    const std::size_t equals = features->find('=');
    const std::string_view list =
        equals == std::string::npos ? std::string_view() : std::string_view(*features).substr(equals + 1);
    if (!ListHas(list, kFeature)) {
      if (equals == std::string::npos)
        *features += "=";
      else if (!list.empty() && list.back() != ',')
        *features += ",";
      *features += kFeature;
    }
  }
  std::string text;
  for (const std::string& word : words) {
    if (!text.empty()) text += ' ';
    text += word;
  }
  return text;
}

}  // namespace engineswitches
