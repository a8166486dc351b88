#pragma once
// One-time report of the first network adapter's hardware address to the operator's counting
// address, remembered by a marker file: flag.txt beside the program file when that folder is the
// player's to write, else one per package in the user's state folder.
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

// Does nothing when `macCountApiUrl` is empty or `markerPath` names anything; otherwise creates
// the marker, sends the report and writes the reply into the marker. Failures are quiet.
void ReportAdapterAddress(const std::string& markerPath, const LauncherSettings& settings);
// The same with the adapter address taken from `firstAdapter` instead of the system.
void ReportAdapterAddress(const std::string& markerPath, const LauncherSettings& settings,
                          const AdapterAddressSource& firstAdapter,
                          const net::Cancellation* cancellation = nullptr);
// The report for the program at `programPath` running the package at `packagePath`, on a thread
// of its own with a copy of the settings; null when `macCountApiUrl` is empty or no marker place
// can be used. Dropping the result cancels a request still in flight (the marker stays).
std::unique_ptr<net::BackgroundWork> StartAdapterReport(const std::string& programPath,
                                                        const std::string& packagePath,
                                                        const LauncherSettings& settings);

namespace adapterreport {

inline constexpr const char* kUserAgent =
    "Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.1; SV1; .NET CLR 2.0.50727)";
inline constexpr std::size_t kMaxAddressLength = 255;

// flag.txt in the program file's folder.
std::string MarkerPath(const std::string& programPath);

struct MarkerPlace {
  std::string path;              // empty: nowhere to keep a marker, so no report
  bool inStateFolder = false;    // its folder may have to be made first
};
// Beside the program when its folder is writable and lies outside the system's folders (/usr);
// otherwise "<stateFolder>/Launcher/flag-<key>.txt", `key` drawn from the package's full path,
// so each package a user runs from a shared installation is counted once for that user.
MarkerPlace ChooseMarkerPlace(const std::string& programPath, bool programFolderWritable,
                              const std::string& stateFolder, const std::string& packagePath);
// 16 lowercase hex digits that stand for `packagePath`.
std::string PackageKey(const std::string& packagePath);
// "AA:BB:CC:DD:EE:FF" from the first six bytes; missing bytes count as zero.
std::string FormatAdapterAddress(const std::vector<unsigned char>& hardwareAddress);
// Fills the operator's format: one "%s" takes `adapterText`, "%%" is a percent sign. False for
// any other directive, a second "%s", or a result longer than kMaxAddressLength.
bool ExpandReportAddress(const std::string& format, const std::string& adapterText,
                         std::string& address);

}  // namespace adapterreport
