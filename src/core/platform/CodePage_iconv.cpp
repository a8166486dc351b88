#include "core/platform/CodePage.h"

#include <iconv.h>
#include <strings.h>

#include <cerrno>
#include <cstring>

namespace codepage {
namespace {

std::string& CurrentName() {
  static std::string name = "GBK";
  return name;
}

enum class Source { Bytes, Utf8, Utf16 };

iconv_t Open(const char* to, const char* from) {
  // UTF-16 is a converter module of its own: held open once, it is not loaded again per call.
  static const iconv_t keepUtf16Loaded = iconv_open("UTF-16LE", "UTF-8");
  (void)keepUtf16Loaded;
  return iconv_open(to, from);
}

// Length of the character at `p` to skip after a failure: a whole well-formed UTF-8 sequence or
// UTF-16 surrogate pair (one replacement per character the target cannot hold), else one unit.
std::size_t SkipLength(Source source, const unsigned char* p, std::size_t left) {
  if (source == Source::Utf16) {
    if (left >= 4 && (p[1] & 0xFC) == 0xD8 && (p[3] & 0xFC) == 0xDC) return 4;
    return left < 2 ? left : 2;
  }
  if (source == Source::Utf8) {
    const std::size_t n = p[0] >= 0xF0 && p[0] <= 0xF4 ? 4
                          : p[0] >= 0xE0              ? 3
                          : p[0] >= 0xC2 && p[0] < 0xE0 ? 2
                                                       : 1;
    if (n > left || (p[0] >= 0xF5)) return 1;
    for (std::size_t i = 1; i < n; ++i)
      if ((p[i] & 0xC0) != 0x80) return 1;
    return n;
  }
  return 1;
}

// Converts with iconv; each sequence the source encoding rejects or the target cannot hold
// becomes `replacement` (already encoded in the target) and conversion resumes after it.
std::string Convert(const char* from, const char* to, const char* data, std::size_t size,
                    Source source, std::string_view replacement) {
  std::string out;
  if (size == 0) return out;
  iconv_t cd = Open(to, from);
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
    // A truncated sequence at the very end (EINVAL) is dropped as one bad unit.
    const std::size_t skip =
        errno == EILSEQ ? SkipLength(source, reinterpret_cast<const unsigned char*>(in), inLeft)
                        : SkipLength(Source::Bytes, nullptr, inLeft);
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

Source SystemSource() {
  const std::string& name = CurrentName();
  return strcasecmp(name.c_str(), "UTF-8") == 0 || strcasecmp(name.c_str(), "UTF8") == 0
             ? Source::Utf8
             : Source::Bytes;
}

}  // namespace

bool SetSystemCodePage(const std::string& name) {
  if (name.empty()) return false;
  iconv_t cd = iconv_open("UTF-8", name.c_str());
  if (cd == reinterpret_cast<iconv_t>(-1)) return false;
  // One descriptor stays open for the chosen code page so that its converter module stays loaded:
  // otherwise every conversion loads and unloads it again.
  static iconv_t pinned = reinterpret_cast<iconv_t>(-1);
  if (pinned != reinterpret_cast<iconv_t>(-1)) iconv_close(pinned);
  pinned = cd;
  CurrentName() = name;
  return true;
}

const std::string& SystemCodePage() { return CurrentName(); }

std::string SystemToUtf8(std::string_view text) {
  return Convert(CurrentName().c_str(), "UTF-8", text.data(), text.size(), SystemSource(),
                 "\xEF\xBF\xBD");
}

std::string Utf8ToSystem(std::string_view text) {
  return Convert("UTF-8", CurrentName().c_str(), text.data(), text.size(), Source::Utf8, "?");
}

std::u16string SystemToUtf16(std::string_view text) {
  return ToU16(Convert(CurrentName().c_str(), "UTF-16LE", text.data(), text.size(), SystemSource(),
                       std::string_view(kUtf16Replacement, 2)));
}

std::string Utf16ToSystem(std::u16string_view text) {
  return Convert("UTF-16LE", CurrentName().c_str(), reinterpret_cast<const char*>(text.data()),
                 text.size() * 2, Source::Utf16, "?");
}

std::u16string Utf8ToUtf16(std::string_view text) {
  return ToU16(Convert("UTF-8", "UTF-16LE", text.data(), text.size(), Source::Utf8,
                       std::string_view(kUtf16Replacement, 2)));
}

std::string Utf16ToUtf8(std::u16string_view text) {
  return Convert("UTF-16LE", "UTF-8", reinterpret_cast<const char*>(text.data()),
                 text.size() * 2, Source::Utf16, "\xEF\xBF\xBD");
}

std::size_t FirstInvalidSystemByte(std::string_view text) {
  if (text.empty()) return std::string_view::npos;
  iconv_t cd = Open("UTF-8", CurrentName().c_str());
  if (cd == reinterpret_cast<iconv_t>(-1)) return std::string_view::npos;
  char* in = const_cast<char*>(text.data());
  std::size_t inLeft = text.size();
  std::size_t result = std::string_view::npos;
  char buffer[4096];
  while (inLeft > 0) {
    char* outPtr = buffer;
    std::size_t outLeft = sizeof buffer;
    if (iconv(cd, &in, &inLeft, &outPtr, &outLeft) != static_cast<std::size_t>(-1)) break;
    if (errno == E2BIG) continue;
    result = static_cast<std::size_t>(in - text.data());
    break;
  }
  iconv_close(cd);
  return result;
}

std::string_view CutAtCharacter(std::string_view text, std::size_t maxBytes) {
  if (text.size() <= maxBytes) return text;
  iconv_t cd = Open("UTF-16LE", CurrentName().c_str());
  if (cd == reinterpret_cast<iconv_t>(-1)) return text.substr(0, maxBytes);
  // The decoder walks the characters from the start, so a trail byte is never taken for a lead;
  // the bytes it leaves unconsumed at the limit are the cut character.
  char* in = const_cast<char*>(text.data());
  std::size_t inLeft = maxBytes;
  char buffer[1024];
  while (inLeft > 0) {
    char* outPtr = buffer;
    std::size_t outLeft = sizeof buffer;
    if (iconv(cd, &in, &inLeft, &outPtr, &outLeft) != static_cast<std::size_t>(-1)) break;
    if (errno == E2BIG) continue;
    if (errno == EINVAL) break;  // a character cut by the limit
    ++in;                        // EILSEQ: one malformed byte, one character
    --inLeft;
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
  }
  iconv_close(cd);
  return text.substr(0, maxBytes - inLeft);
}

}  // namespace codepage
