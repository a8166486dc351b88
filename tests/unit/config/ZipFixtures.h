#pragma once
// Byte-level helpers for building and damaging zip archives in tests.
#include <cstdint>
#include <string>

#include "ZipWriter.h"

namespace zipfix {

inline std::uint32_t Get32(const std::string& z, std::size_t at) {
  return static_cast<std::uint32_t>(static_cast<unsigned char>(z[at])) |
         static_cast<std::uint32_t>(static_cast<unsigned char>(z[at + 1])) << 8 |
         static_cast<std::uint32_t>(static_cast<unsigned char>(z[at + 2])) << 16 |
         static_cast<std::uint32_t>(static_cast<unsigned char>(z[at + 3])) << 24;
}
inline std::uint16_t Get16(const std::string& z, std::size_t at) {
  return static_cast<std::uint16_t>(static_cast<unsigned char>(z[at]) |
                                    static_cast<unsigned char>(z[at + 1]) << 8);
}
inline void Set16(std::string& z, std::size_t at, std::uint32_t v) {
  z[at] = static_cast<char>(v & 0xFF);
  z[at + 1] = static_cast<char>((v >> 8) & 0xFF);
}
inline void Set32(std::string& z, std::size_t at, std::uint32_t v) {
  Set16(z, at, v & 0xFFFF);
  Set16(z, at + 2, v >> 16);
}

// Offset of the n-th occurrence (from 0) of a 4-byte signature.
inline std::size_t FindSignature(const std::string& z, std::uint32_t signature, int n = 0) {
  for (std::size_t at = 0; at + 4 <= z.size(); ++at) {
    if (Get32(z, at) == signature && n-- == 0) return at;
  }
  return std::string::npos;
}
inline std::size_t Local(const std::string& z, int n = 0) { return FindSignature(z, 0x04034B50, n); }
inline std::size_t Central(const std::string& z, int n = 0) {
  return FindSignature(z, 0x02014B50, n);
}
inline std::size_t End(const std::string& z) { return z.rfind("PK\x05\x06"); }
inline std::size_t Data(const std::string& z, int n = 0) {
  const std::size_t at = Local(z, n);
  return at + 30 + Get16(z, at + 26) + Get16(z, at + 28);
}

// Field offsets inside the central entry and the local header.
enum : std::size_t {
  kCentralFlags = 8, kCentralMethod = 10, kCentralCrc = 16, kCentralCompressed = 20,
  kCentralSize = 24, kCentralLocalOffset = 42,
  kLocalFlags = 6, kLocalMethod = 8, kLocalCrc = 14, kLocalCompressed = 18, kLocalSize = 22,
  kLocalNameLength = 26,
  kEndDisk = 4, kEndCdDisk = 6, kEndEntriesHere = 8, kEndEntries = 10, kEndCdSize = 12,
  kEndCdOffset = 16,
};

// Deterministic bytes that compress somewhat, like artwork would not and text would.
inline std::string Payload(std::size_t size, unsigned seed = 1) {
  std::string s(size, '\0');
  std::uint32_t x = seed * 2654435761u + 1;
  for (std::size_t i = 0; i < size; ++i) {
    x = x * 1103515245u + 12345u;
    s[i] = static_cast<char>((i % 64 < 32) ? 'a' + (i % 7) : (x >> 16) & 0xFF);
  }
  return s;
}

}  // namespace zipfix
