#include "platform/Memory.h"

#include <malloc.h>

namespace platform {

void ReturnLargeBlocksToSystem() {
#ifdef M_MMAP_THRESHOLD
  // glibc raises its threshold to the size of every mapped block freed, so after the start-up's
  // short-lived images and window buffers the later ones of that size land in the heap, which
  // keeps the pages once they are freed. A fixed threshold ends that adjustment.
  constexpr int kLargeBlockBytes = 128 * 1024;
  mallopt(M_MMAP_THRESHOLD, kLargeBlockBytes);
#endif
}

}  // namespace platform
