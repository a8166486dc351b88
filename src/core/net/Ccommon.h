#pragma once
// MD5 digests as lowercase hex text (used to sign platform requests).
#include <cstddef>
#include <string>

class Ccommon {
 public:
  Ccommon() = default;
  virtual ~Ccommon();

  // Hex digest of the bytes of `text` up to its terminator (null counts as empty). Each call
  // returns its own text, so signing may go on in several threads at once.
  std::string MD5Hex(const char* text) const;

  // Two lowercase hex digits per byte, high nibble first; at most kMaxHexBytes bytes are
  // written, any more are cut off.
  std::string ToHex(const unsigned char* bytes, std::size_t count) const;

  static constexpr std::size_t kMaxHexBytes = 4095;
};
