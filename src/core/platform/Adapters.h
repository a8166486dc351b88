#pragma once
// The machine's network adapters.
#include <vector>

namespace platform {

// Hardware address of the first non-loopback adapter that has one, in the system's order.
// False when there is none.
bool FirstAdapterHardwareAddress(std::vector<unsigned char>& address);

}  // namespace platform
