#include "Signature.h"

#include <openssl/evp.h>

#include <cctype>
#include <cstdio>

namespace demo {

std::string SignText(const std::string& platform, const std::string& gkey, const std::string& skey,
                     const std::string& type, const std::string& sign) {
  return platform + gkey + skey + type + "#" + sign;
}

std::string Md5Hex(const std::string& bytes) {
  unsigned char digest[EVP_MAX_MD_SIZE];
  unsigned int length = 0;
  EVP_Digest(bytes.data(), bytes.size(), digest, &length, EVP_md5(), nullptr);
  std::string hex;
  hex.reserve(length * 2);
  static const char kDigits[] = "0123456789abcdef";
  for (unsigned int i = 0; i < length; ++i) {
    hex += kDigits[digest[i] >> 4];
    hex += kDigits[digest[i] & 0x0F];
  }
  return hex;
}

bool SignatureMatches(const std::string& expectedHex, const std::string& given) {
  if (given.size() != expectedHex.size()) return false;
  for (size_t i = 0; i < given.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(given[i])) != expectedHex[i]) return false;
  }
  return true;
}

}  // namespace demo
