#include "Servers.h"

#include "../DemoKeys.h"

namespace demo {

const std::vector<DemoServer>& DemoServers() {
  // Two numbers at most 8000 (dual-line servers) and two above (no-wipe servers).
  static const std::vector<DemoServer> servers = {
      {"3", "1003", "青龙殿", "新服", "双线3服"},
      {"12", "1012", "白虎堂", "火爆", "双线12服"},
      {"80015", "8015", "朱雀台", "推荐", "不删档15服"},
      {"80105", "8105", "玄武门", "老区", "不删档105服"},
  };
  return servers;
}

const DemoServer* FindServerByKey(const std::string& key) {
  for (const DemoServer& server : DemoServers()) {
    if (server.key == key) return &server;
  }
  return nullptr;
}

std::string GameAddress(const DemoServer& server, const std::string& uid) {
  return std::string(kGameHeader) + "?serverid=" + server.serverId + "&skey=" + server.key +
         "&uid=" + uid;
}

}  // namespace demo
