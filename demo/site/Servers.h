#pragma once
// The demo site's game servers.
#include <string>
#include <vector>

namespace demo {

struct DemoServer {
  std::string serverId;  // number in the address's serverid parameter
  std::string key;       // bare server key (skey parameter)
  std::string name;      // UTF-8 display name the server-name lookup returns
  std::string tag;       // UTF-8 badge on the server list
  std::string label;     // UTF-8 line and number as players know it
};

const std::vector<DemoServer>& DemoServers();
// The server with this bare key, or null.
const DemoServer* FindServerByKey(const std::string& key);
// Relative game address of a server: gameheader path, serverid and skey parameters.
std::string GameAddress(const DemoServer& server, const std::string& uid);

}  // namespace demo
