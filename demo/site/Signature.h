#pragma once
// The platform API's request signature.
#include <string>

namespace demo {

// platform + gkey + skey + type + "#" + sign.
std::string SignText(const std::string& platform, const std::string& gkey, const std::string& skey,
                     const std::string& type, const std::string& sign);
// 32 lowercase hex digits.
std::string Md5Hex(const std::string& bytes);
// Case-insensitive comparison of the hex digest, as signers differ in hex case.
bool SignatureMatches(const std::string& expectedHex, const std::string& given);

}  // namespace demo
