#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "HttpTestSupport.h"
#include "core/config/LauncherConfig.h"
#include "core/net/AdapterReport.h"
#include "core/platform/Adapters.h"

namespace {

namespace fs = std::filesystem;

class AdapterReportTest : public HttpTest {
 protected:
  void SetUp() override {
    HttpTest::SetUp();
    char pattern[] = "/tmp/launcher-report-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    folder = pattern;
  }
  void TearDown() override {
    std::error_code ignored;
    fs::remove_all(folder, ignored);
    HttpTest::TearDown();
  }

  std::string Marker() const { return folder + "/flag.txt"; }
  std::string MarkerText() const {
    std::ifstream in(Marker(), std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
  }
  static AdapterAddressSource Adapter(std::vector<unsigned char> address) {
    return [address](std::vector<unsigned char>& out) {
      out = address;
      return !address.empty();
    };
  }
  static LauncherSettings WithCountUrl(const std::string& url) {
    LauncherSettings s;
    s.macCountApiUrl = url;
    return s;
  }

  std::string folder;
  const std::vector<unsigned char> kMac{0x00, 0x1a, 0x2b, 0x3c, 0x4d, 0x5e};
};

TEST_F(AdapterReportTest, ReportsOnceWithTheMarkerBesideTheProgram) {
  RawHttpServer server(Answer(200, "\xE5\xB7\xB2\xE8\xAE\xB0\xE5\xBD\x95"));  // "已记录"
  const LauncherSettings s = WithCountUrl(server.Url("/count?mac=%s&n=1"));
  const std::string elsewhere = fs::current_path().string() + "/flag.txt";
  ASSERT_FALSE(fs::exists(elsewhere));

  ReportAdapterAddress(Marker(), s, Adapter(kMac));
  const auto requests = server.Requests();
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0].method, "GET");
  EXPECT_EQ(requests[0].target, "/count?mac=00:1A:2B:3C:4D:5E&n=1");
  EXPECT_EQ(requests[0].Header("User-Agent"),
            "Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.1; SV1; .NET CLR 2.0.50727)");
  EXPECT_EQ(requests[0].Header("Accept-Language"), "zh-cn");
  EXPECT_EQ(MarkerText(), "\xD2\xD1\xBC\xC7\xC2\xBC");  // the reply in GBK
  EXPECT_FALSE(fs::exists(elsewhere));

  ReportAdapterAddress(Marker(), s, Adapter(kMac));
  EXPECT_EQ(server.Requests().size(), 1u);
}

TEST_F(AdapterReportTest, EmptySettingNeitherReadsNorCreatesTheMarker) {
  bool asked = false;
  ReportAdapterAddress(Marker(), LauncherSettings(), [&asked](std::vector<unsigned char>&) {
    asked = true;
    return true;
  });
  EXPECT_FALSE(asked);
  EXPECT_FALSE(fs::exists(Marker()));
}

TEST_F(AdapterReportTest, AnythingNamedLikeTheMarkerStopsTheReport) {
  RawHttpServer server(Answer(200, "counted"));
  const LauncherSettings s = WithCountUrl(server.Url("/count/%s"));
  enum Kind { EmptyFile, FileWithText, Folder, DanglingLink };
  for (Kind kind : {EmptyFile, FileWithText, Folder, DanglingLink}) {
    fs::remove_all(Marker());
    if (kind == EmptyFile) std::ofstream(Marker()).close();
    if (kind == FileWithText) std::ofstream(Marker()) << "old reply";
    if (kind == Folder) fs::create_directory(Marker());
    if (kind == DanglingLink) fs::create_symlink(folder + "/nowhere", Marker());
    ReportAdapterAddress(Marker(), s, Adapter(kMac));
    EXPECT_FALSE(fs::exists(folder + "/nowhere")) << kind;
  }
  EXPECT_EQ(server.Connections(), 0);
}

TEST_F(AdapterReportTest, NoAdapterLeavesAnEmptyMarkerAndSendsNothing) {
  RawHttpServer server(Answer(200, "counted"));
  ReportAdapterAddress(Marker(), WithCountUrl(server.Url("/count/%s")), Adapter({}));
  EXPECT_TRUE(fs::is_regular_file(Marker()));
  EXPECT_EQ(MarkerText(), "");
  EXPECT_EQ(server.Connections(), 0);
}

TEST_F(AdapterReportTest, MarkerThatCannotBeCreatedStopsTheReport) {
  RawHttpServer server(Answer(200, "counted"));
  ReportAdapterAddress(folder + "/missing/flag.txt", WithCountUrl(server.Url("/count/%s")),
                       Adapter(kMac));
  EXPECT_FALSE(fs::exists(folder + "/missing"));
  EXPECT_EQ(server.Connections(), 0);
}

TEST_F(AdapterReportTest, FailedRequestsStillLeaveTheMarker) {
  net::SetHttpTimeouts(2000, 500);
  RawHttpServer silent(
      [](RawHttpServer& self, int fd, const ReceivedRequest&) { self.WaitForPeerClose(fd); });
  const std::string addresses[] = {
      "http://127.0.0.1:" + std::to_string(ClosedLocalPort()) + "/count/%s",
      silent.Url("/count/%s"),
  };
  for (const std::string& address : addresses) {
    fs::remove(Marker());
    ReportAdapterAddress(Marker(), WithCountUrl(address), Adapter(kMac));
    EXPECT_TRUE(fs::is_regular_file(Marker())) << address;
    EXPECT_EQ(MarkerText(), "") << address;
  }
}

TEST_F(AdapterReportTest, ErrorPageIsWrittenLikeAnyReply) {
  RawHttpServer server(Answer(500, "server error"));
  ReportAdapterAddress(Marker(), WithCountUrl(server.Url("/count/%s")), Adapter(kMac));
  EXPECT_EQ(MarkerText(), "server error");
}

TEST_F(AdapterReportTest, AddressWithoutPlaceholderIsUsedUnchanged) {
  RawHttpServer server(Answer(200, "ok"));
  ReportAdapterAddress(Marker(), WithCountUrl(server.Url("/count?rate=100%%")), Adapter(kMac));
  ASSERT_EQ(server.Requests().size(), 1u);
  EXPECT_EQ(server.Requests()[0].target, "/count?rate=100%");
}

TEST_F(AdapterReportTest, UnexpandableFormatsAreRefusedBeforeAnything) {
  RawHttpServer server(Answer(200, "ok"));
  // The last format fits the 254-character field but expands beyond 255 characters.
  const std::string base = server.Url("/count?");
  const std::string formats[] = {
      base + "mac=%d",
      base + "a=%s&b=%s",
      base + "mac=%s&x=%",
      base + "%n%s",
      base + "%x%s",
      base + "mac=%S",
      base + std::string(215, 'x') + "%s",
  };
  for (const std::string& format : formats) {
    ReportAdapterAddress(Marker(), WithCountUrl(format), Adapter(kMac));
    EXPECT_FALSE(fs::exists(Marker())) << format;
  }
  EXPECT_EQ(server.Connections(), 0);
}

// The hardware addresses of this machine's interfaces as the kernel lists them in sysfs, loopback
// and all-zero addresses left out: what the platform's adapter list must agree with.
std::set<std::string> SysfsHardwareAddresses() {
  std::set<std::string> found;
  std::error_code error;
  for (const fs::directory_entry& entry : fs::directory_iterator("/sys/class/net", error)) {
    if (entry.path().filename() == "lo") continue;
    std::ifstream in(entry.path() / "address");
    std::string text;
    if (!std::getline(in, text) || text.empty()) continue;
    if (text.find_first_not_of("0:") == std::string::npos) continue;
    for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    found.insert(text);
  }
  return found;
}

TEST_F(AdapterReportTest, RealAdapterListDrivesTheReport) {
  std::vector<unsigned char> address;
  const bool found = platform::FirstAdapterHardwareAddress(address);
  const std::set<std::string> machine = SysfsHardwareAddresses();
  // An adapter is found exactly when the machine has one, and it is one of the machine's.
  EXPECT_EQ(found, !machine.empty());
  if (address.size() == 6)
    EXPECT_EQ(machine.count(adapterreport::FormatAdapterAddress(address)), 1u);

  RawHttpServer server(Answer(200, "seen"));
  ReportAdapterAddress(Marker(), WithCountUrl(server.Url("/count/%s")));
  EXPECT_TRUE(fs::is_regular_file(Marker()));
  // With an adapter the count is reported once and its answer kept; without one nothing is sent.
  const std::size_t expectedRequests = machine.empty() ? 0u : 1u;
  ASSERT_EQ(server.Requests().size(), expectedRequests);
  if (expectedRequests == 1) {
    EXPECT_EQ(server.Requests()[0].target, "/count/" + adapterreport::FormatAdapterAddress(address));
    EXPECT_EQ(MarkerText(), "seen");
  }
}

TEST(AdapterReportRules, MarkerPathAndAddressText) {
  EXPECT_EQ(adapterreport::MarkerPath("/opt/game/Launcher"), "/opt/game/flag.txt");
  EXPECT_EQ(adapterreport::MarkerPath("/Launcher"), "/flag.txt");
  EXPECT_EQ(adapterreport::MarkerPath("Launcher"), "flag.txt");

  using adapterreport::FormatAdapterAddress;
  EXPECT_EQ(FormatAdapterAddress({0x00, 0x1a, 0x2b, 0x3c, 0x4d, 0x5e}), "00:1A:2B:3C:4D:5E");
  EXPECT_EQ(FormatAdapterAddress({0xff, 0xfe, 0x01}), "FF:FE:01:00:00:00");
  EXPECT_EQ(FormatAdapterAddress({1, 2, 3, 4, 5, 6, 7, 8}), "01:02:03:04:05:06");
  EXPECT_EQ(FormatAdapterAddress({}), "00:00:00:00:00:00");
}

TEST(AdapterReportRules, MarkerPlace) {
  const std::string key = adapterreport::PackageKey("/opt/game/config.zip");
  struct Case {
    std::string programPath;
    bool writable;
    std::string stateFolder;
    std::string expected;
    bool inStateFolder;
  };
  const Case cases[] = {
      // Beside the program when its folder may be written, as always.
      {"/opt/game/Launcher", true, "/home/p/.local/state", "/opt/game/flag.txt", false},
      {"/home/p/game/Launcher", true, "", "/home/p/game/flag.txt", false},
      // A shared installation: the user's state folder, keyed by the package.
      {"/opt/game/Launcher", false, "/home/p/.local/state",
       "/home/p/.local/state/Launcher/flag-" + key + ".txt", true},
      // The system's folders are never written, not even by root.
      {"/usr/bin/Launcher", true, "/root/.local/state",
       "/root/.local/state/Launcher/flag-" + key + ".txt", true},
      {"/usr/lib/launcher/Launcher", true, "/s", "/s/Launcher/flag-" + key + ".txt", true},
      {"/usrlocal/Launcher", true, "/s", "/usrlocal/flag.txt", false},
      // Nowhere to keep a marker: no report at all.
      {"/usr/bin/Launcher", false, "", "", false},
      {"/opt/game/Launcher", false, "relative/state", "", false},
      {"Launcher", true, "", "", false},
  };
  for (const Case& c : cases) {
    const adapterreport::MarkerPlace place = adapterreport::ChooseMarkerPlace(
        c.programPath, c.writable, c.stateFolder, "/opt/game/config.zip");
    EXPECT_EQ(place.path, c.expected) << c.programPath << " " << c.writable << " " << c.stateFolder;
    EXPECT_EQ(place.inStateFolder, c.inStateFolder) << c.programPath;
  }
  EXPECT_EQ(adapterreport::ChooseMarkerPlace("/usr/bin/Launcher", false, "/s", "").path, "");
  // Each package has a key of its own, the same in every run.
  EXPECT_EQ(key.size(), 16u);
  EXPECT_EQ(key, adapterreport::PackageKey("/opt/game/config.zip"));
  EXPECT_NE(key, adapterreport::PackageKey("/opt/other/config.zip"));
}

TEST(AdapterReportRules, FormatExpansion) {
  struct Case {
    std::string format;
    bool ok;
    std::string address;
  };
  const std::string mac = "AA:BB:CC:DD:EE:FF";
  const Case cases[] = {
      {"http://c/?m=%s", true, "http://c/?m=" + mac},
      {"http://c/%s/x", true, "http://c/" + mac + "/x"},
      {"http://c/?p=50%%&m=%s", true, "http://c/?p=50%&m=" + mac},
      {"http://c/plain", true, "http://c/plain"},
      {"%%%s%%", true, "%" + mac + "%"},
      {"http://c/?m=%s&n=%s", false, ""},
      {"http://c/?m=%d", false, ""},
      {"http://c/?m=%", false, ""},
      {"http://c/?m=%5s", false, ""},
      {"http://c/?m=%n", false, ""},
      {std::string(238, 'a') + "%s", true, std::string(238, 'a') + mac},
      {std::string(239, 'a') + "%s", false, ""},
      {std::string(254, 'a'), true, std::string(254, 'a')},
  };
  for (const Case& c : cases) {
    std::string address = "stale";
    EXPECT_EQ(adapterreport::ExpandReportAddress(c.format, mac, address), c.ok) << c.format;
    EXPECT_EQ(address, c.address) << c.format;
  }
}

}  // namespace
