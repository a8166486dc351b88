#pragma once
// Start-up options of the demo operator site.
#include <string>
#include <vector>

namespace demo {

struct SiteOptions {
  int port = 0;                // 0: any free port
  std::string logPath;         // one JSON line per request; empty: no log
  std::string platform;        // signing keys
  std::string gkey;
  std::string sign;
  std::string userName;        // player name of the user-name lookup (UTF-8)
  std::string gmName;          // name the chat page announces (UTF-8)
  std::string chatUrl;         // overrides the chat address the API hands out
  int apiStatus = 200;         // HTTP status of every API reply
  bool errnoAsNumber = false;  // user-name replies carry errno as a JSON number
  std::string autoUrl;         // login page goes there by itself after load
  std::string script;          // default bridge script of the game page (JSON)
  int gmNewMsgAfterMs = -1;    // chat page announces a new message after this delay; <0: never
  int apiDelayMs = 0;          // API replies wait this long; -1: until /control/release-api
};

// Parses argv; on failure returns false with a message in `error`.
bool ParseSiteArgs(int argc, char** argv, SiteOptions& options, std::string& error);
const char* SiteUsage();

}  // namespace demo
