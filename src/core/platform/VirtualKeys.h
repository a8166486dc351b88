#pragma once
// Keys as the program's key rules name them: Windows virtual-key codes.

namespace platform {

constexpr int kKeyReturn = 0x0D;
constexpr int kKeyEscape = 0x1B;
constexpr int kKeyF1 = 0x70;
constexpr int kKeyF9 = 0x78;
constexpr int kKeyF12 = 0x7B;
constexpr int kKeyOther = 0xFF;  // any key the rules do not single out

}  // namespace platform
