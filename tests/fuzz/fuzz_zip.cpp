// Fuzz target: the zip reader and the package operations over arbitrary archive bytes.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

#include "core/config/LauncherConfig.h"
#include "core/config/ZipReader.h"
#include "core/platform/MessageBox.h"

namespace {

void Silence() {
  static const bool once = [] {
    platform::SetMessageBoxHandler(
        [](const platform::MessageBoxRequest&) { return platform::MessageBoxResult::Ok; });
    return true;
  }();
  (void)once;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  Silence();
  if (size > 0xFFFFFFFFu) return 0;
  // An exact-size heap copy, so that a read past the block is caught.
  std::unique_ptr<std::uint8_t[]> block(new std::uint8_t[size ? size : 1]);
  if (size) std::memcpy(block.get(), data, size);
  const unsigned length = static_cast<unsigned>(size);

  if (ZipHandle* zip = OpenZip(block.get(), length, ZipSource::Memory)) {
    int index = -1;
    ZipEntryInfo info;
    FindZipEntry(zip, "config/cg.txt", false, index, info);
    FindZipEntry(zip, "CONFIG/CG.TXT", true, index, info);
    std::vector<unsigned char> buffer(4096);
    // Every entry, read in small pieces; a few rounds are enough to reach every state.
    for (int i = 0; i < 64; ++i) {
      unsigned rc = ZR_MORE;
      for (int round = 0; round < 32 && rc == ZR_MORE; ++round)
        rc = UnzipEntry(zip, i, buffer.data(), static_cast<unsigned>(buffer.size()),
                        ZipSource::Memory);
      if (rc == ZR_ARGS) break;
    }
    UnzipEntry(zip, 0, buffer.data(), 1, ZipSource::Memory);
    CloseZip(zip);
  }

  CLauncherConfig config;
  if (config.OpenPackageFromMemory(block.get(), length)) {
    if (config.LoadSettingsFile("config/cg.txt")) config.ReadSettings();
    std::vector<unsigned char> bytes;
    config.ReadImageMember("config/main1.png", bytes);
  }
  return 0;
}
