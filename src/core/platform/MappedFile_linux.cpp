#include "core/platform/MappedFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace platform {
namespace {

class Descriptor {
 public:
  explicit Descriptor(int fd) : fd_(fd) {}
  ~Descriptor() {
    if (fd_ >= 0) close(fd_);
  }
  Descriptor(const Descriptor&) = delete;
  Descriptor& operator=(const Descriptor&) = delete;
  int get() const { return fd_; }

 private:
  int fd_;
};

}  // namespace

MappedFile::Status MappedFile::Open(const std::string& path) {
  bytes_.clear();
  // Non-blocking, so that opening a FIFO never waits for a writer.
  const Descriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
  if (file.get() < 0) return Status::CannotOpen;
  struct stat st {};
  if (fstat(file.get(), &st) != 0 || !S_ISREG(st.st_mode)) return Status::CannotOpen;
  if (st.st_size == 0) return Status::Empty;
  if (static_cast<unsigned long long>(st.st_size) > kMaxSize) return Status::CannotMap;
  // A copy rather than a mapping: a package rewritten in place must not pull pages from under
  // the reader (a mapped file that shrinks faults on access).
  bytes_.resize(static_cast<std::size_t>(st.st_size));
  std::size_t done = 0;
  while (done < bytes_.size()) {
    const ssize_t got = ::read(file.get(), bytes_.data() + done, bytes_.size() - done);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) {
      bytes_.clear();
      return Status::CannotView;
    }
    if (got == 0) break;  // shrunk while being read: what was there is what the package is
    done += static_cast<std::size_t>(got);
  }
  bytes_.resize(done);
  if (bytes_.empty()) return Status::Empty;
  return Status::Ok;
}

}  // namespace platform
