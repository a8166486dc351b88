#pragma once
// One-time report of the first network adapter's hardware address to the operator's counting
// address, remembered by the marker file flag.txt beside the program file.
#include <functional>
#include <memory>
#include <string>
#include <vector>

struct LauncherSettings;
namespace net {
class BackgroundWork;
class Cancellation;
}  // namespace net

using AdapterAddressSource = std::function<bool(std::vector<unsigned char>&)>;

// Does nothing when `macCountApiUrl` is empty or the marker exists; otherwise creates the
// marker, sends the report and writes the reply into the marker. Failures are quiet.
void ReportAdapterAddress(const std::string& programPath, const LauncherSettings& settings);
// The same with the adapter address taken from `firstAdapter` instead of the system.
void ReportAdapterAddress(const std::string& programPath, const LauncherSettings& settings,
                          const AdapterAddressSource& firstAdapter,
                          const net::Cancellation* cancellation = nullptr);
// The report on a thread of its own, with a copy of the settings; null when `macCountApiUrl` is
// empty. Dropping the result cancels a request still in flight (the marker stays).
std::unique_ptr<net::BackgroundWork> StartAdapterReport(const std::string& programPath,
                                                        const LauncherSettings& settings);

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
