// Fuzz target: settings text and decimal reading.
#include <cstddef>
#include <cstdint>
#include <string>

#include "core/config/LauncherConfig.h"
#include "core/platform/CodePage.h"
#include "core/platform/MessageBox.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const bool once = [] {
    platform::SetMessageBoxHandler(
        [](const platform::MessageBoxRequest&) { return platform::MessageBoxResult::Ok; });
    return true;
  }();
  (void)once;
  const std::string text(reinterpret_cast<const char*>(data), size);
  ParseDecimal(text.c_str());
  CLauncherConfig config;
  if (config.LoadSettingsData(text.data(), text.size())) config.ReadSettings();
  // Settings may name a code page; each input starts from the default.
  codepage::SetSystemCodePage("GBK");
  codepage::SystemToUtf16(text);
  codepage::Utf8ToSystem(text);
  return 0;
}
