#include "SiteOptions.h"

#include <cstdlib>
#include <cstring>

#include "../DemoKeys.h"

namespace demo {
namespace {

bool ReadInt(const char* text, int& value) {
  char* end = nullptr;
  const long number = std::strtol(text, &end, 10);
  if (end == text || *end != '\0' || number < -1 || number > 1000000000) return false;
  value = static_cast<int>(number);
  return true;
}

}  // namespace

const char* SiteUsage() {
  return "usage: demo_site [--port N] [--log FILE] [--platform P] [--gkey G] [--sign S]\n"
         "                 [--user-name NAME] [--gm-name NAME] [--chat-url URL]\n"
         "                 [--api-status CODE] [--errno-number] [--auto URL] [--script JSON]\n"
         "                 [--gm-newmsg-after MS] [--api-delay MS|-1]\n";
}

bool ParseSiteArgs(int argc, char** argv, SiteOptions& options, std::string& error) {
  options = SiteOptions{};
  options.platform = kPlatform;
  options.gkey = kGkey;
  options.sign = kSign;
  options.userName = "逍遥子";
  options.gmName = "客服小美";
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    const bool hasValue = i + 1 < argc;
    auto text = [&](std::string& field) {
      if (!hasValue) return false;
      field = argv[++i];
      return true;
    };
    auto number = [&](int& field) { return hasValue && ReadInt(argv[++i], field); };
    bool ok = true;
    if (arg == "--port") ok = number(options.port) && options.port >= 0 && options.port < 65536;
    else if (arg == "--log") ok = text(options.logPath);
    else if (arg == "--platform") ok = text(options.platform);
    else if (arg == "--gkey") ok = text(options.gkey);
    else if (arg == "--sign") ok = text(options.sign);
    else if (arg == "--user-name") ok = text(options.userName);
    else if (arg == "--gm-name") ok = text(options.gmName);
    else if (arg == "--chat-url") ok = text(options.chatUrl);
    else if (arg == "--api-status") ok = number(options.apiStatus) && options.apiStatus >= 100 && options.apiStatus < 600;
    else if (arg == "--errno-number") options.errnoAsNumber = true;
    else if (arg == "--auto") ok = text(options.autoUrl);
    else if (arg == "--script") ok = text(options.script);
    else if (arg == "--gm-newmsg-after") ok = number(options.gmNewMsgAfterMs);
    else if (arg == "--api-delay") ok = number(options.apiDelayMs);
    else {
      error = "unknown option " + arg;
      return false;
    }
    if (!ok) {
      error = "bad or missing value for " + arg;
      return false;
    }
  }
  return true;
}

}  // namespace demo
