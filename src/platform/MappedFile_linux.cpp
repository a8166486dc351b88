#include "platform/MappedFile.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

MappedFile::~MappedFile() {
  if (data_) munmap(const_cast<unsigned char*>(data_), size_);
  if (fd_ >= 0) close(fd_);
}

MappedFile::Status MappedFile::Open(const std::string& path) {
  fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd_ < 0) return Status::CannotOpen;
  struct stat st {};
  if (fstat(fd_, &st) != 0 || !S_ISREG(st.st_mode)) return Status::CannotOpen;
  if (st.st_size == 0) return Status::Empty;
  // The zip reader addresses the block with 32-bit sizes.
  if (static_cast<unsigned long long>(st.st_size) > 0xFFFFFFFFull) return Status::CannotMap;
  size_ = static_cast<std::size_t>(st.st_size);
  void* view = mmap(nullptr, size_, PROT_READ, MAP_PRIVATE, fd_, 0);
  if (view == MAP_FAILED) {
    size_ = 0;
    return Status::CannotView;
  }
  data_ = static_cast<const unsigned char*>(view);
  return Status::Ok;
}

}  // namespace platform
