#pragma once
// MD5 digests as lowercase hex text (used to sign platform requests).
#include <cstddef>

class Ccommon {
 public:
  Ccommon() = default;
  virtual ~Ccommon();

  // Hex digest of the bytes of `text` up to its terminator (null counts as empty). The result
  // lives in one process-wide buffer and stays valid until the next MD5Hex or ToHex call.
  const char* MD5Hex(const char* text);

  // Two lowercase hex digits per byte into the shared buffer; at most kMaxHexBytes bytes are
  // written, any more are cut off.
  const char* ToHex(const unsigned char* bytes, std::size_t count);

  static constexpr std::size_t kResultBufferSize = 8192;
  static constexpr std::size_t kMaxHexBytes = (kResultBufferSize - 1) / 2;
};
