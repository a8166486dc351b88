#pragma once
// The browser engine's process-wide switches the program needs, composed with those given to it.
#include <string>
#include <string_view>

namespace engineswitches {

// The engine's command-line switches (QTWEBENGINE_CHROMIUM_FLAGS) with those added that keep a
// hidden page's timers at their rate: no background timer throttling, no intensive wake-up
// throttling, no lowered renderer priority. Every given switch stays; a feature the program
// disables joins the effective (last) --disable-features list instead of replacing it.
std::string WithHiddenPageTimers(std::string_view given);

}  // namespace engineswitches
