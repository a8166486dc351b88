#pragma once
// One-time report of the first network adapter's hardware address to the operator's counting
// address, remembered by the marker file flag.txt beside the program file.
#include <functional>
#include <string>
#include <vector>

struct LauncherSettings;

using AdapterAddressSource = std::function<bool(std::vector<unsigned char>&)>;

// Does nothing when `macCountApiUrl` is empty or the marker exists; otherwise creates the
// marker, sends the report and writes the reply into the marker. Failures are quiet.
void ReportAdapterAddress(const std::string& programPath, const LauncherSettings& settings);
// The same with the adapter address taken from `firstAdapter` instead of the system.
void ReportAdapterAddress(const std::string& programPath, const LauncherSettings& settings,
                          const AdapterAddressSource& firstAdapter);

namespace adapterreport {

inline constexpr const char* kUserAgent =
    "Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.1; SV1; .NET CLR 2.0.50727)";
inline constexpr std::size_t kMaxAddressLength = 255;

std::string MarkerPath(const std::string& programPath);
// "AA:BB:CC:DD:EE:FF" from the first six bytes; missing bytes count as zero.
std::string FormatAdapterAddress(const std::vector<unsigned char>& hardwareAddress);
// Fills the operator's format: one "%s" takes `adapterText`, "%%" is a percent sign. False for
// any other directive, a second "%s", or a result longer than kMaxAddressLength.
bool ExpandReportAddress(const std::string& format, const std::string& adapterText,
                         std::string& address);

}  // namespace adapterreport
