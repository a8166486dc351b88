#include "core/net/AdapterReport.h"

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <system_error>

#include "core/config/LauncherConfig.h"
#include "core/net/BackgroundWork.h"
#include "core/net/HttpClient.h"
#include "core/platform/Adapters.h"
#include "core/platform/Paths.h"

namespace adapterreport {

std::string MarkerPath(const std::string& programPath) {
  const std::size_t separator = programPath.find_last_of(platform::PathSeparator());
  const std::string folder =
      separator == std::string::npos ? std::string() : programPath.substr(0, separator + 1);
  return folder + "flag.txt";
}

std::string PackageKey(const std::string& packagePath) {
  // FNV-1a: stable across builds and machines, which std::hash is not.
  std::uint64_t hash = 0xcbf29ce484222325ULL;
  for (unsigned char c : packagePath) {
    hash ^= c;
    hash *= 0x100000001b3ULL;
  }
  char text[17];
  std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(hash));
  return text;
}

MarkerPlace ChooseMarkerPlace(const std::string& programPath, bool programFolderWritable,
                              const std::string& stateFolder, const std::string& packagePath) {
  const std::string beside = MarkerPath(programPath);
  const bool systemFolder = beside.rfind("/usr/", 0) == 0;
  const bool absolute = !beside.empty() && beside[0] == platform::PathSeparator();
  if (programFolderWritable && absolute && !systemFolder) return {beside, false};
  if (stateFolder.empty() || stateFolder[0] != '/' || packagePath.empty()) return {};
  return {stateFolder + "/Launcher/flag-" + PackageKey(packagePath) + ".txt", true};
}

std::string FormatAdapterAddress(const std::vector<unsigned char>& hardwareAddress) {
  char text[18];
  unsigned char b[6] = {0, 0, 0, 0, 0, 0};
  for (std::size_t i = 0; i < 6 && i < hardwareAddress.size(); ++i) b[i] = hardwareAddress[i];
  std::snprintf(text, sizeof text, "%02X:%02X:%02X:%02X:%02X:%02X", b[0], b[1], b[2], b[3], b[4],
                b[5]);
  return text;
}

bool ExpandReportAddress(const std::string& format, const std::string& adapterText,
                         std::string& address) {
  address.clear();
  bool placed = false;
  for (std::size_t i = 0; i < format.size(); ++i) {
    if (format[i] != '%') {
      address += format[i];
      continue;
    }
    const char directive = i + 1 < format.size() ? format[i + 1] : '\0';
    if (directive == '%') {
      address += '%';
    } else if (directive == 's' && !placed) {
      address += adapterText;
      placed = true;
    } else {
      address.clear();
      return false;
    }
    ++i;
  }
  if (address.size() > kMaxAddressLength) {
    address.clear();
    return false;
  }
  return true;
}

}  // namespace adapterreport

void ReportAdapterAddress(const std::string& markerPath, const LauncherSettings& settings) {
  ReportAdapterAddress(markerPath, settings, platform::FirstAdapterHardwareAddress);
}

std::unique_ptr<net::BackgroundWork> StartAdapterReport(const std::string& programPath,
                                                        const std::string& packagePath,
                                                        const LauncherSettings& settings) {
  if (settings.macCountApiUrl.empty()) return nullptr;
  const std::size_t separator = programPath.find_last_of(platform::PathSeparator());
  const bool writable = separator != std::string::npos &&
                        platform::IsWritableFolder(programPath.substr(0, separator + 1));
  std::error_code error;
  std::string package = std::filesystem::weakly_canonical(packagePath, error).string();
  if (error) package = packagePath;
  const adapterreport::MarkerPlace place = adapterreport::ChooseMarkerPlace(
      programPath, writable, platform::UserStateFolder(), package);
  if (place.path.empty()) return nullptr;
  return std::make_unique<net::BackgroundWork>(
      [place, copy = settings](const net::Cancellation& cancellation) {
        if (place.inStateFolder) {
          // Private to the user: the folder tells which packages they have run.
          std::error_code made;
          const std::filesystem::path folder = std::filesystem::path(place.path).parent_path();
          std::filesystem::create_directories(folder, made);
          std::filesystem::permissions(folder, std::filesystem::perms::owner_all,
                                       std::filesystem::perm_options::replace, made);
        }
        ReportAdapterAddress(place.path, copy, platform::FirstAdapterHardwareAddress,
                             &cancellation);
        return net::BackgroundWork::Completion();
      });
}

void ReportAdapterAddress(const std::string& markerPath, const LauncherSettings& settings,
                          const AdapterAddressSource& firstAdapter,
                          const net::Cancellation* cancellation) {
  if (settings.macCountApiUrl.empty() || markerPath.empty()) return;
  const std::string& marker = markerPath;
  std::error_code error;
  const auto status = std::filesystem::symlink_status(marker, error);
  // A missing marker reports "not found" together with an error code; any other error means
  // the name cannot be checked, so nothing is done.
  if (status.type() != std::filesystem::file_type::not_found) return;

  // A format that cannot be expanded is refused before the marker is made, so a corrected
  // package still reports.
  const std::string format = settings.macCountApiUrl.str();
  std::string address;
  if (!adapterreport::ExpandReportAddress(format, "00:00:00:00:00:00", address)) return;

  // "x": never replaces or follows anything that appeared since the check above.
  std::FILE* file = std::fopen(marker.c_str(), "wbx");
  if (!file) return;

  std::vector<unsigned char> hardwareAddress;
  if (firstAdapter && firstAdapter(hardwareAddress) && !hardwareAddress.empty() &&
      adapterreport::ExpandReportAddress(
          format, adapterreport::FormatAdapterAddress(hardwareAddress), address)) {
    std::string reply;
    CHttpClient client(adapterreport::kUserAgent);
    client.SetCancellation(cancellation);
    client.Get(address.c_str(), nullptr, reply);
    if (!reply.empty()) std::fwrite(reply.data(), 1, reply.size(), file);
  }
  std::fclose(file);
}
