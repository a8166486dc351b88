#include "core/config/ZipReader.h"

#include <zlib.h>

#include <cstring>

namespace {

constexpr std::uint32_t kEndSignature = 0x06054B50;
constexpr std::uint32_t kCentralSignature = 0x02014B50;
constexpr std::uint32_t kLocalSignature = 0x04034B50;
constexpr std::uint32_t kEndRecordSize = 22;
constexpr std::uint32_t kCentralFixedSize = 46;
constexpr std::uint32_t kLocalFixedSize = 30;
constexpr std::uint32_t kMaxBack = 0xFFFF;
constexpr std::uint32_t kSearchStep = 1024;
constexpr std::size_t kMaxNameLength = 256;
constexpr std::uint16_t kFlagEncrypted = 0x1;
constexpr std::uint16_t kFlagDescriptor = 0x8;
constexpr uInt kInputChunk = 16 * 1024;

std::uint16_t Get16(const unsigned char* p) {
  return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}

std::uint32_t Get32(const unsigned char* p) {
  return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
         (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

struct CentralEntry {
  std::uint16_t flags = 0;
  std::uint16_t method = 0;
  std::uint16_t modTime = 0;
  std::uint16_t modDate = 0;
  std::uint32_t crc = 0;
  std::uint32_t compressedSize = 0;
  std::uint32_t uncompressedSize = 0;
  std::uint32_t externalAttributes = 0;
  std::uint32_t localOffset = 0;
  const unsigned char* name = nullptr;
  std::uint16_t nameLength = 0;
  std::uint64_t next = 0;  // block offset of the following entry
};

}  // namespace

struct ZipHandle {
  const unsigned char* base = nullptr;
  std::uint64_t size = 0;
  std::uint64_t prefix = 0;   // bytes in front of the archive, added to every stored offset
  std::uint64_t cdStart = 0;  // block offsets of the central directory
  std::uint64_t cdEnd = 0;
  int entryCount = 0;

  // Walking position in the central directory.
  int cursorIndex = 0;
  std::uint64_t cursorPos = 0;

  // The open (current) member, if any.
  int openIndex = -1;
  bool inflating = false;
  z_stream stream{};
  const unsigned char* data = nullptr;  // the member's stored bytes inside the block
  std::uint32_t dataSize = 0;
  std::uint32_t consumed = 0;           // stored members: bytes copied so far
  std::uint32_t produced = 0;           // uncompressed bytes delivered so far
  std::uint32_t expectedSize = 0;
  std::uint32_t expectedCrc = 0;
  uLong crc = 0;
};

namespace {

// Reads the central directory entry at `pos`; false when it is damaged or leaves the directory.
bool ReadCentral(const ZipHandle& h, std::uint64_t pos, CentralEntry& e) {
  if (pos + kCentralFixedSize > h.cdEnd) return false;
  const unsigned char* p = h.base + pos;
  if (Get32(p) != kCentralSignature) return false;
  e.flags = Get16(p + 8);
  e.method = Get16(p + 10);
  e.modTime = Get16(p + 12);
  e.modDate = Get16(p + 14);
  e.crc = Get32(p + 16);
  e.compressedSize = Get32(p + 20);
  e.uncompressedSize = Get32(p + 24);
  e.nameLength = Get16(p + 28);
  const std::uint16_t extraLength = Get16(p + 30);
  const std::uint16_t commentLength = Get16(p + 32);
  e.externalAttributes = Get32(p + 38);
  e.localOffset = Get32(p + 42);
  e.name = p + kCentralFixedSize;
  e.next = pos + kCentralFixedSize + e.nameLength + extraLength + commentLength;
  return e.next <= h.cdEnd;
}

void CloseMember(ZipHandle& h) {
  if (h.inflating) inflateEnd(&h.stream);
  h.inflating = false;
  h.openIndex = -1;
  h.data = nullptr;
}

// Moves the cursor to entry `index`, rewinding when it lies behind.
bool Seek(ZipHandle& h, int index, CentralEntry& e) {
  if (index < h.cursorIndex) {
    h.cursorIndex = 0;
    h.cursorPos = h.cdStart;
  }
  while (true) {
    if (!ReadCentral(h, h.cursorPos, e)) return false;
    if (h.cursorIndex == index) return true;
    h.cursorPos = e.next;
    ++h.cursorIndex;
  }
}

bool EqualNames(const unsigned char* stored, std::size_t storedLength, const char* name,
                std::size_t length, bool ignoreCase) {
  if (storedLength != length) return false;
  for (std::size_t i = 0; i < length; ++i) {
    unsigned char a = stored[i];
    unsigned char b = static_cast<unsigned char>(name[i]);
    if (ignoreCase) {
      if (a >= 'A' && a <= 'Z') a = static_cast<unsigned char>(a - 'A' + 'a');
      if (b >= 'A' && b <= 'Z') b = static_cast<unsigned char>(b - 'A' + 'a');
    }
    if (a != b) return false;
  }
  return true;
}

// Deflate's best case: 258 bytes from one length/distance code of a little over 2 bits.
constexpr std::uint64_t kMaxDeflateRatio = 1032;

bool SizesPlausible(std::uint64_t blockSize, std::uint16_t method, std::uint32_t compressed,
                    std::uint32_t uncompressed) {
  if (uncompressed > kMaxZipMemberSize || compressed > blockSize) return false;
  if (method == 0) return compressed == uncompressed;
  return uncompressed <= compressed * kMaxDeflateRatio + 64;
}

unsigned OpenMember(ZipHandle& h, int index) {
  CentralEntry e;
  if (!Seek(h, index, e)) return ZR_CORRUPT;
  if (e.flags & kFlagEncrypted) return ZR_CORRUPT;
  if (e.method != 0 && e.method != 8) return ZR_CORRUPT;
  if (!SizesPlausible(h.size, e.method, e.compressedSize, e.uncompressedSize)) return ZR_CORRUPT;

  const std::uint64_t local = h.prefix + e.localOffset;
  if (local + kLocalFixedSize > h.size) return ZR_CORRUPT;
  const unsigned char* p = h.base + local;
  if (Get32(p) != kLocalSignature) return ZR_CORRUPT;
  const std::uint16_t localFlags = Get16(p + 6);
  if (Get16(p + 8) != e.method) return ZR_CORRUPT;
  if (((e.flags | localFlags) & kFlagDescriptor) == 0 &&
      (Get32(p + 14) != e.crc || Get32(p + 18) != e.compressedSize ||
       Get32(p + 22) != e.uncompressedSize))
    return ZR_CORRUPT;
  if (Get16(p + 26) != e.nameLength) return ZR_CORRUPT;
  const std::uint64_t dataStart = local + kLocalFixedSize + Get16(p + 26) + Get16(p + 28);
  if (dataStart + e.compressedSize > h.size) return ZR_CORRUPT;

  h.data = h.base + dataStart;
  h.dataSize = e.compressedSize;
  h.consumed = 0;
  h.produced = 0;
  h.expectedSize = e.uncompressedSize;
  h.expectedCrc = e.crc;
  h.crc = crc32(0L, Z_NULL, 0);
  if (e.method == 8) {
    h.stream = z_stream{};
    if (inflateInit2(&h.stream, -MAX_WBITS) != Z_OK) return ZR_FLATE;
    h.inflating = true;
    h.stream.next_in = const_cast<Bytef*>(h.data);
    h.stream.avail_in = 0;
  }
  h.openIndex = index;
  return ZR_OK;
}

// Feeds the inflater its next slice of input; the input never reaches past the member's data.
void Refill(ZipHandle& h) {
  if (h.stream.avail_in > 0) return;
  const std::uint32_t used = static_cast<std::uint32_t>(h.stream.next_in - h.data);
  const std::uint32_t left = h.dataSize - used;
  h.stream.avail_in = left < kInputChunk ? left : kInputChunk;
}

// Inflates into out[0..want); sets `ended` when the stream ended. Returns ZR_OK or an error.
unsigned InflateInto(ZipHandle& h, unsigned char* out, std::uint32_t want, bool& ended) {
  h.stream.next_out = out;
  h.stream.avail_out = want;
  while (h.stream.avail_out > 0) {
    Refill(h);
    const uInt before = h.stream.avail_out;
    const uInt inBefore = h.stream.avail_in;
    const int rc = inflate(&h.stream, Z_NO_FLUSH);
    if (rc == Z_STREAM_END) {
      ended = true;
      break;
    }
    if (rc == Z_OK) continue;
    if (rc == Z_BUF_ERROR && (before != h.stream.avail_out || inBefore != h.stream.avail_in))
      continue;
    return ZR_FLATE;  // data error, or input ran out before the stream ended
  }
  return ZR_OK;
}

void FillEntryInfo(const CentralEntry& e, int index, ZipEntryInfo& entry) {
  entry.index = index;
  entry.name.assign(reinterpret_cast<const char*>(e.name), e.nameLength);
  entry.attributes = e.externalAttributes;
  entry.modTime = e.modTime;
  entry.modDate = e.modDate;
  entry.compressedSize = e.compressedSize;
  entry.uncompressedSize = e.uncompressedSize;
  entry.method = e.method;
  entry.flags = e.flags;
  entry.crc32 = e.crc;
}

}  // namespace

ZipHandle* OpenZip(const void* data, unsigned size, ZipSource source) {
  if (!data || source != ZipSource::Memory || size < kEndRecordSize) return nullptr;
  const auto* base = static_cast<const unsigned char*>(data);

  // Backwards search in windows of 1028 bytes stepping 1024, within the last 65535 bytes.
  const std::uint32_t maxBack = size < kMaxBack ? size : kMaxBack;
  std::uint64_t found = 0;
  bool haveRecord = false;
  std::uint32_t backRead = 4;
  while (backRead < maxBack && !haveRecord) {
    backRead = backRead + kSearchStep > maxBack ? maxBack : backRead + kSearchStep;
    const std::uint32_t readPos = size - backRead;
    const std::uint32_t window = kSearchStep + 4 < size - readPos ? kSearchStep + 4 : size - readPos;
    for (std::uint32_t i = window - 3; i-- > 0;) {
      const unsigned char* p = base + readPos + i;
      if (p[0] == 'P' && p[1] == 'K' && p[2] == 5 && p[3] == 6) {
        found = readPos + i;
        haveRecord = true;
        break;
      }
    }
  }
  if (!haveRecord || found + kEndRecordSize > size) return nullptr;

  const unsigned char* r = base + found;
  if (Get32(r) != kEndSignature) return nullptr;
  const std::uint16_t disk = Get16(r + 4);
  const std::uint16_t cdDisk = Get16(r + 6);
  const std::uint16_t entriesHere = Get16(r + 8);
  const std::uint16_t entries = Get16(r + 10);
  const std::uint32_t cdSize = Get32(r + 12);
  const std::uint32_t cdOffset = Get32(r + 16);
  if (disk != 0 || cdDisk != 0 || entriesHere != entries) return nullptr;
  if (static_cast<std::uint64_t>(cdOffset) + cdSize > found) return nullptr;
  // Every entry needs at least its fixed part: a count the directory cannot hold is a lie.
  if (static_cast<std::uint64_t>(entries) * kCentralFixedSize > cdSize) return nullptr;

  auto* h = new ZipHandle;
  h->base = base;
  h->size = size;
  h->prefix = found - (static_cast<std::uint64_t>(cdOffset) + cdSize);
  h->cdStart = h->prefix + cdOffset;
  h->cdEnd = h->cdStart + cdSize;
  h->entryCount = entries;
  h->cursorPos = h->cdStart;
  CentralEntry first;
  if (entries > 0 && !ReadCentral(*h, h->cdStart, first)) {
    delete h;
    return nullptr;
  }
  return h;
}

void CloseZip(ZipHandle* handle) {
  if (!handle) return;
  CloseMember(*handle);
  delete handle;
}

unsigned FindZipEntry(ZipHandle* handle, const char* name, bool ignoreCase, int& index,
                      ZipEntryInfo& entry) {
  if (!handle || !name) return ZR_ARGS;
  const std::size_t length = std::strlen(name);
  if (length >= kMaxNameLength) return ZR_NOTFOUND;
  std::uint64_t pos = handle->cdStart;
  for (int i = 0; i < handle->entryCount; ++i) {
    CentralEntry e;
    if (!ReadCentral(*handle, pos, e)) return ZR_CORRUPT;
    if (EqualNames(e.name, e.nameLength, name, length, ignoreCase)) {
      index = i;
      FillEntryInfo(e, i, entry);
      return ZR_OK;
    }
    pos = e.next;
  }
  return ZR_NOTFOUND;
}

int ZipEntryCount(const ZipHandle* handle) { return handle ? handle->entryCount : 0; }

unsigned GetZipEntry(ZipHandle* handle, int index, ZipEntryInfo& entry) {
  if (!handle || index < 0 || index >= handle->entryCount) return ZR_ARGS;
  std::uint64_t pos = handle->cdStart;
  for (int i = 0;; ++i) {
    CentralEntry e;
    if (!ReadCentral(*handle, pos, e)) return ZR_CORRUPT;
    if (i == index) {
      FillEntryInfo(e, i, entry);
      return ZR_OK;
    }
    pos = e.next;
  }
}

unsigned UnzipEntry(ZipHandle* handle, int index, void* buffer, unsigned length,
                    ZipSource source) {
  if (!handle || source != ZipSource::Memory || index < 0 || index >= handle->entryCount ||
      (!buffer && length > 0))
    return ZR_ARGS;
  ZipHandle& h = *handle;
  if (h.openIndex != index) {
    CloseMember(h);
    const unsigned rc = OpenMember(h, index);
    if (rc != ZR_OK) {
      CloseMember(h);
      return rc;
    }
  }

  // Never deliver more than the member declares: excess data is damage, not output.
  const std::uint32_t remaining = h.expectedSize - h.produced;
  const std::uint32_t want = length < remaining ? length : remaining;
  auto* out = static_cast<unsigned char*>(buffer);
  bool ended = false;
  if (!h.inflating) {
    if (want > 0) std::memcpy(out, h.data + h.consumed, want);
    h.consumed += want;
    ended = h.consumed == h.dataSize;
  } else if (want > 0) {
    const unsigned rc = InflateInto(h, out, want, ended);
    if (rc != ZR_OK) {
      CloseMember(h);
      return rc;
    }
  }
  const std::uint32_t got = h.inflating ? want - h.stream.avail_out : want;
  if (got > 0) h.crc = crc32(h.crc, out, got);
  h.produced += got;

  if (!ended && h.produced == h.expectedSize && h.inflating) {
    // All declared bytes are out: the stream must end now, without a byte more.
    unsigned char probe = 0;
    const unsigned rc = InflateInto(h, &probe, 1, ended);
    if (rc != ZR_OK || !ended || h.stream.avail_out == 0) {
      CloseMember(h);
      return rc != ZR_OK ? rc : ZR_CORRUPT;
    }
  }
  if (!ended) {
    if (got == length) return ZR_MORE;
    CloseMember(h);  // stream ended early without saying so
    return ZR_FLATE;
  }
  const bool intact = h.produced == h.expectedSize && static_cast<std::uint32_t>(h.crc) == h.expectedCrc;
  CloseMember(h);
  return intact ? ZR_OK : ZR_CORRUPT;
}

bool IsZipEntrySizePlausible(const ZipHandle* handle, const ZipEntryInfo& entry) {
  return handle != nullptr &&
         SizesPlausible(handle->size, entry.method, entry.compressedSize, entry.uncompressedSize);
}
