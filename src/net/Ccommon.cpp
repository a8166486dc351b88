#include "net/Ccommon.h"

#include <openssl/evp.h>

#include <cstring>

namespace {

char g_result[Ccommon::kResultBufferSize];

}  // namespace

Ccommon::~Ccommon() = default;

const char* Ccommon::MD5Hex(const char* text) {
  const std::size_t length = text ? std::strlen(text) : 0;
  unsigned char digest[EVP_MAX_MD_SIZE];
  unsigned int digestLength = 0;
  if (EVP_Digest(length ? text : "", length, digest, &digestLength, EVP_md5(), nullptr) != 1) {
    // Without a digest there is nothing to sign with: an empty text, never stale bytes.
    g_result[0] = '\0';
    return g_result;
  }
  return ToHex(digest, digestLength);
}

const char* Ccommon::ToHex(const unsigned char* bytes, std::size_t count) {
  static const char kDigits[] = "0123456789abcdef";
  if (!bytes) count = 0;
  if (count > kMaxHexBytes) count = kMaxHexBytes;
  char* out = g_result;
  for (std::size_t i = 0; i < count; ++i) {
    *out++ = kDigits[bytes[i] >> 4];
    *out++ = kDigits[bytes[i] & 0x0F];
  }
  *out = '\0';
  return g_result;
}
