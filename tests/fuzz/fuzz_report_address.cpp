// Fuzz target: expanding the operator's macCountApiUrl format with the adapter's address.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "FuzzInput.h"
#include "core/net/AdapterReport.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::vector<std::string> parts = SplitFuzzInput(data, size, 2);
  const std::vector<unsigned char> hardware(parts[1].begin(), parts[1].end());
  const std::string adapter = adapterreport::FormatAdapterAddress(hardware);
  std::string address;
  if (adapterreport::ExpandReportAddress(parts[0], adapter, address) &&
      address.size() > adapterreport::kMaxAddressLength)
    __builtin_trap();
  return 0;
}
