#include "ZipWriter.h"

#include <zlib.h>

#include <cstdio>

namespace {

void Put16(std::string& out, std::uint32_t v) {
  out.push_back(static_cast<char>(v & 0xFF));
  out.push_back(static_cast<char>((v >> 8) & 0xFF));
}

void Put32(std::string& out, std::uint32_t v) {
  Put16(out, v & 0xFFFF);
  Put16(out, v >> 16);
}

constexpr std::uint16_t kDosTime = (12 << 11) | (0 << 5);        // 12:00:00
constexpr std::uint16_t kDosDate = ((2024 - 1980) << 9) | (1 << 5) | 1;  // 2024-01-01

}  // namespace

// The fields local and central headers share: version needed up to the extra length.
void ZipWriter::PutMemberFields(std::string& out, const Member& m) {
  Put16(out, m.method == Deflated ? 20 : 10);
  Put16(out, 0);
  Put16(out, m.method);
  Put16(out, kDosTime);
  Put16(out, kDosDate);
  Put32(out, m.crc);
  Put32(out, static_cast<std::uint32_t>(m.compressed.size()));
  Put32(out, m.size);
  Put16(out, static_cast<std::uint32_t>(m.name.size()));
  Put16(out, 0);
}

std::uint32_t ZipWriter::Crc32(std::string_view data) {
  uLong crc = crc32(0L, Z_NULL, 0);
  const auto* p = reinterpret_cast<const Bytef*>(data.data());
  std::size_t left = data.size();
  while (left > 0) {
    const uInt chunk = left > 0x40000000u ? 0x40000000u : static_cast<uInt>(left);
    crc = crc32(crc, p, chunk);
    p += chunk;
    left -= chunk;
  }
  return static_cast<std::uint32_t>(crc);
}

std::string ZipWriter::RawDeflate(std::string_view data) {
  z_stream zs{};
  if (deflateInit2(&zs, Z_BEST_COMPRESSION, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY) != Z_OK)
    return std::string();
  std::string out;
  out.resize(deflateBound(&zs, static_cast<uLong>(data.size())) + 16);
  zs.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
  zs.avail_in = static_cast<uInt>(data.size());
  zs.next_out = reinterpret_cast<Bytef*>(&out[0]);
  zs.avail_out = static_cast<uInt>(out.size());
  const int rc = deflate(&zs, Z_FINISH);
  out.resize(zs.total_out);
  deflateEnd(&zs);
  return rc == Z_STREAM_END ? out : std::string();
}

void ZipWriter::Add(const std::string& name, std::string_view data, Method method) {
  Member m{name, method, Crc32(data), static_cast<std::uint32_t>(data.size()), std::string()};
  m.compressed = method == Deflated ? RawDeflate(data) : std::string(data);
  members_.push_back(std::move(m));
}

std::string ZipWriter::Finish() const {
  std::string out = prefix_;
  std::string archive;
  std::vector<std::uint32_t> offsets;
  for (const Member& m : members_) {
    offsets.push_back(static_cast<std::uint32_t>(archive.size()));
    Put32(archive, 0x04034B50);
    PutMemberFields(archive, m);
    archive += m.name;
    archive += m.compressed;
  }
  const std::uint32_t cdOffset = static_cast<std::uint32_t>(archive.size());
  for (std::size_t i = 0; i < members_.size(); ++i) {
    const Member& m = members_[i];
    Put32(archive, 0x02014B50);
    Put16(archive, 20);
    PutMemberFields(archive, m);
    Put16(archive, 0);
    Put16(archive, 0);
    Put16(archive, 0);
    Put32(archive, 0);
    Put32(archive, offsets[i]);
    archive += m.name;
  }
  const std::uint32_t cdSize = static_cast<std::uint32_t>(archive.size()) - cdOffset;
  const std::size_t commentSize = comment_.size() > 0xFFFF ? 0xFFFF : comment_.size();
  Put32(archive, 0x06054B50);
  Put16(archive, 0);
  Put16(archive, 0);
  Put16(archive, static_cast<std::uint32_t>(members_.size()));
  Put16(archive, static_cast<std::uint32_t>(members_.size()));
  Put32(archive, cdSize);
  Put32(archive, cdOffset);
  Put16(archive, static_cast<std::uint32_t>(commentSize));
  archive.append(comment_, 0, commentSize);
  return out + archive;
}

bool ZipWriter::WriteFile(const std::string& path, const std::string& bytes) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  const bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  return std::fclose(f) == 0 && ok;
}
