#pragma once
// A whole file mapped read-only into memory for as long as the object lives.
#include <cstddef>
#include <string>

namespace platform {

class MappedFile {
 public:
  enum class Status { Ok, CannotOpen, Empty, CannotMap, CannotView };

  MappedFile() = default;
  ~MappedFile();
  MappedFile(const MappedFile&) = delete;
  MappedFile& operator=(const MappedFile&) = delete;

  Status Open(const std::string& path);
  const unsigned char* data() const { return data_; }
  std::size_t size() const { return size_; }

 private:
  int fd_ = -1;
  const unsigned char* data_ = nullptr;
  std::size_t size_ = 0;
};

}  // namespace platform
