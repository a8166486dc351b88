#pragma once
// A zip reader over an archive held in the caller's memory block (never copied).
#include <cstdint>
#include <string>

struct ZipHandle;

enum ZipResult : unsigned {
  ZR_OK = 0x0,
  ZR_NOTFOUND = 0x500,
  ZR_MORE = 0x600,
  ZR_CORRUPT = 0x700,
  ZR_ARGS = 0x10000,
  ZR_FLATE = 0x5000000,
};

enum class ZipSource { Memory };

struct ZipEntryInfo {
  int index = -1;
  std::string name;
  std::uint32_t attributes = 0;
  std::uint16_t modTime = 0;
  std::uint16_t modDate = 0;
  std::uint32_t compressedSize = 0;
  std::uint32_t uncompressedSize = 0;
  std::uint16_t method = 0;  // 0 stored, 8 deflated; others are refused when read
  std::uint16_t flags = 0;   // general-purpose bits; bit 0: encrypted
  std::uint32_t crc32 = 0;
};

// Largest member the reader inflates; a larger declared size is refused as damaged.
constexpr std::uint32_t kMaxZipMemberSize = 64u * 1024u * 1024u;

// Opens the archive in `data` (prefix bytes allowed); null when no sound end record is found.
// The block must stay valid and unchanged while the handle is in use.
ZipHandle* OpenZip(const void* data, unsigned size, ZipSource source);
void CloseZip(ZipHandle* handle);
// Looks a member up by exact name (ASCII case folded when `ignoreCase`); names of 256 bytes or
// more are never found. ZR_OK, ZR_NOTFOUND, ZR_CORRUPT or ZR_ARGS.
unsigned FindZipEntry(ZipHandle* handle, const char* name, bool ignoreCase, int& index,
                      ZipEntryInfo& entry);
// Number of members the central directory declares; 0 for a null handle.
int ZipEntryCount(const ZipHandle* handle);
// The description of member `index` (from 0). ZR_OK, ZR_CORRUPT or ZR_ARGS.
unsigned GetZipEntry(ZipHandle* handle, int index, ZipEntryInfo& entry);
// Whether the member's declared size can come from its compressed bytes in this archive: the
// compressed bytes fit in the block, a stored member's sizes are equal, deflate inflates at most
// 1032 to 1, and the size is within kMaxZipMemberSize. Check before allocating that size.
bool IsZipEntrySizePlausible(const ZipHandle* handle, const ZipEntryInfo& entry);
// Writes up to `length` bytes of the member: ZR_OK when its data ended (size and CRC-32 checked),
// ZR_MORE when the buffer filled first (call again to continue), else an error code. Encrypted,
// oversized and inconsistent members are ZR_CORRUPT; a failing inflater is ZR_FLATE.
unsigned UnzipEntry(ZipHandle* handle, int index, void* buffer, unsigned length,
                    ZipSource source);
