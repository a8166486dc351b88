#pragma once
// Text conversions between UTF-8, UTF-16 and the system code page (the program's 8-bit text).
// The system code page defaults to GBK (CP936); an operator may choose another one.
#include <string>
#include <string_view>

namespace codepage {

// Names an iconv encoding ("GBK", "CP936", "BIG5", "UTF-8", ...). Returns false, keeping the
// current one, when the system does not know the name.
bool SetSystemCodePage(const std::string& name);
const std::string& SystemCodePage();

// Offset of the first byte that starts no valid character of the system code page, or npos
// when the whole text is valid.
std::size_t FirstInvalidSystemByte(std::string_view text);

// Unconvertible or malformed input never fails: each bad sequence becomes '?' (U+FFFD for
// UTF-16/UTF-8 targets) and conversion goes on.
std::string SystemToUtf8(std::string_view text);
std::string Utf8ToSystem(std::string_view text);
std::u16string SystemToUtf16(std::string_view text);
std::string Utf16ToSystem(std::u16string_view text);
std::u16string Utf8ToUtf16(std::string_view text);
std::string Utf16ToUtf8(std::u16string_view text);

// The longest start of `text` (system code page) of at most `maxBytes` bytes that ends on a
// character boundary: a cut never leaves half of a multi-byte character. A malformed byte counts
// as one character.
std::string_view CutAtCharacter(std::string_view text, std::size_t maxBytes);

}  // namespace codepage
