#include "platform/CodePage.h"

#include <iconv.h>

#include <cerrno>
#include <cstring>

namespace codepage {
namespace {

std::string& CurrentName() {
  static std::string name = "GBK";
  return name;
}

// Converts with iconv; each sequence the source encoding rejects or the target cannot hold
// becomes `replacement` (already encoded in the target) and conversion resumes after one
// source unit.
std::string Convert(const char* from, const char* to, const char* data, std::size_t size,
                    std::size_t unit, std::string_view replacement) {
  std::string out;
  if (size == 0) return out;
  iconv_t cd = iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1)) return out;
  out.reserve(size * 2);
  char* in = const_cast<char*>(data);
  std::size_t inLeft = size;
  char buffer[4096];
  while (inLeft > 0) {
    char* outPtr = buffer;
    std::size_t outLeft = sizeof buffer;
    const std::size_t rc = iconv(cd, &in, &inLeft, &outPtr, &outLeft);
    out.append(buffer, sizeof buffer - outLeft);
    if (rc != static_cast<std::size_t>(-1)) break;
    if (errno == E2BIG) continue;
    // EILSEQ or EINVAL (truncated sequence at the end): replace one unit and go on.
    out.append(replacement);
    const std::size_t skip = inLeft < unit ? inLeft : unit;
    in += skip;
    inLeft -= skip;
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
  }
  char* outPtr = buffer;
  std::size_t outLeft = sizeof buffer;
  iconv(cd, nullptr, nullptr, &outPtr, &outLeft);
  out.append(buffer, sizeof buffer - outLeft);
  iconv_close(cd);
  return out;
}

const char kUtf16Replacement[] = {'\xFD', '\xFF'};  // U+FFFD, little-endian

std::u16string ToU16(const std::string& bytes) {
  std::u16string out(bytes.size() / 2, u'\0');
  if (!out.empty()) std::memcpy(&out[0], bytes.data(), out.size() * 2);
  return out;
}

}  // namespace

bool SetSystemCodePage(const std::string& name) {
  if (name.empty()) return false;
  iconv_t cd = iconv_open("UTF-8", name.c_str());
  if (cd == reinterpret_cast<iconv_t>(-1)) return false;
  iconv_close(cd);
  CurrentName() = name;
  return true;
}

const std::string& SystemCodePage() { return CurrentName(); }

std::string SystemToUtf8(std::string_view text) {
  return Convert(CurrentName().c_str(), "UTF-8", text.data(), text.size(), 1, "\xEF\xBF\xBD");
}

std::string Utf8ToSystem(std::string_view text) {
  return Convert("UTF-8", CurrentName().c_str(), text.data(), text.size(), 1, "?");
}

std::u16string SystemToUtf16(std::string_view text) {
  return ToU16(Convert(CurrentName().c_str(), "UTF-16LE", text.data(), text.size(), 1,
                       std::string_view(kUtf16Replacement, 2)));
}

std::string Utf16ToSystem(std::u16string_view text) {
  return Convert("UTF-16LE", CurrentName().c_str(), reinterpret_cast<const char*>(text.data()),
                 text.size() * 2, 2, "?");
}

std::u16string Utf8ToUtf16(std::string_view text) {
  return ToU16(Convert("UTF-8", "UTF-16LE", text.data(), text.size(), 1,
                       std::string_view(kUtf16Replacement, 2)));
}

std::string Utf16ToUtf8(std::u16string_view text) {
  return Convert("UTF-16LE", "UTF-8", reinterpret_cast<const char*>(text.data()),
                 text.size() * 2, 2, "\xEF\xBF\xBD");
}

}  // namespace codepage
