#pragma once
// Builds a zip archive in memory: stored and deflated members, optional comment and prefix bytes.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class ZipWriter {
 public:
  enum Method : std::uint16_t { Stored = 0, Deflated = 8 };

  // Adds a member; its data is compressed (or copied) at once.
  void Add(const std::string& name, std::string_view data, Method method = Deflated);
  // Bytes placed before the archive (a self-extractor stub, say); offsets stay archive-relative.
  void SetPrefix(std::string_view prefix) { prefix_.assign(prefix); }
  // Archive comment; at most 65535 bytes are kept.
  void SetComment(std::string_view comment) { comment_.assign(comment); }

  // The complete archive bytes: prefix, local headers and data, central directory, end record.
  std::string Finish() const;

  static bool WriteFile(const std::string& path, const std::string& bytes);
  static std::uint32_t Crc32(std::string_view data);
  // Raw deflate stream (no zlib header), as zip members carry it.
  static std::string RawDeflate(std::string_view data);

 private:
  struct Member {
    std::string name;
    Method method;
    std::uint32_t crc;
    std::uint32_t size;
    std::string compressed;
  };
  static void PutMemberFields(std::string& out, const Member& m);
  std::vector<Member> members_;
  std::string prefix_;
  std::string comment_;
};
