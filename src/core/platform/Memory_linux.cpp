#include "core/platform/Memory.h"

#include <malloc.h>

namespace platform {

void ReturnLargeBlocksToSystem() {
#ifdef M_MMAP_THRESHOLD
  // glibc raises its threshold to the size of every mapped block freed, so after the start-up's
  // short-lived images and window buffers the later ones of that size land in the heap, which
  // keeps the pages once they are freed. A fixed threshold ends that adjustment. Below 2 MiB
  // the engine's own many mid-sized blocks would each be mapped and unmapped, which slows the
  // start; a full-window buffer or decoded artwork is larger.
  constexpr int kLargeBlockBytes = 2 * 1024 * 1024;
  mallopt(M_MMAP_THRESHOLD, kLargeBlockBytes);
#endif
}

}  // namespace platform
