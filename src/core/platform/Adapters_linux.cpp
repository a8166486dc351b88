#include <ifaddrs.h>
#include <linux/if_packet.h>
#include <net/if.h>
#include <sys/socket.h>

#include <algorithm>

#include "core/platform/Adapters.h"

namespace platform {

bool FirstAdapterHardwareAddress(std::vector<unsigned char>& address) {
  address.clear();
  ifaddrs* list = nullptr;
  if (getifaddrs(&list) != 0) return false;
  for (const ifaddrs* entry = list; entry; entry = entry->ifa_next) {
    if (!entry->ifa_addr || entry->ifa_addr->sa_family != AF_PACKET) continue;
    if (entry->ifa_flags & IFF_LOOPBACK) continue;
    const auto* link = reinterpret_cast<const sockaddr_ll*>(entry->ifa_addr);
    const std::size_t length = std::min<std::size_t>(link->sll_halen, sizeof link->sll_addr);
    const unsigned char* bytes = link->sll_addr;
    // Tunnels and the like report an all-zero address: that is no hardware address.
    if (length == 0 || std::all_of(bytes, bytes + length, [](unsigned char b) { return b == 0; }))
      continue;
    address.assign(bytes, bytes + length);
    break;
  }
  freeifaddrs(list);
  return !address.empty();
}

}  // namespace platform
