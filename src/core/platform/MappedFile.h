#pragma once
// A whole file's bytes, read once into memory and kept for as long as the object lives. The
// program's own copy: rewriting or truncating the file afterwards changes nothing here.
#include <cstddef>
#include <string>
#include <vector>

namespace platform {

class MappedFile {
 public:
  enum class Status { Ok, CannotOpen, Empty, CannotMap, CannotView };

  // Largest file taken; a larger one is CannotMap.
  static constexpr std::size_t kMaxSize = 256u * 1024u * 1024u;

  MappedFile() = default;
  MappedFile(const MappedFile&) = delete;
  MappedFile& operator=(const MappedFile&) = delete;

  // Only a regular file is opened: a FIFO, device or directory is CannotOpen at once, never
  // waited on. A read error is CannotView.
  Status Open(const std::string& path);
  const unsigned char* data() const { return bytes_.data(); }
  std::size_t size() const { return bytes_.size(); }

 private:
  std::vector<unsigned char> bytes_;
};

}  // namespace platform
