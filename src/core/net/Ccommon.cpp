#include "core/net/Ccommon.h"

#include <openssl/evp.h>

#include <cstring>

Ccommon::~Ccommon() = default;

std::string Ccommon::MD5Hex(const char* text) const {
  const std::size_t length = text ? std::strlen(text) : 0;
  unsigned char digest[EVP_MAX_MD_SIZE];
  unsigned int digestLength = 0;
  if (EVP_Digest(length ? text : "", length, digest, &digestLength, EVP_md5(), nullptr) != 1) {
    // Without a digest there is nothing to sign with: an empty text.
    return std::string();
  }
  return ToHex(digest, digestLength);
}

std::string Ccommon::ToHex(const unsigned char* bytes, std::size_t count) const {
  static const char kDigits[] = "0123456789abcdef";
  if (!bytes) count = 0;
  if (count > kMaxHexBytes) count = kMaxHexBytes;
  std::string hex;
  hex.reserve(2 * count);
  for (std::size_t i = 0; i < count; ++i) {
    hex += kDigits[bytes[i] >> 4];
    hex += kDigits[bytes[i] & 0x0F];
  }
  return hex;
}
