#include "core/platform/Memory.h"

#include <malloc.h>

#include <algorithm>

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

void ReuseBlocksUpTo(std::size_t bytes) {
#if defined(M_MMAP_THRESHOLD) && defined(M_TRIM_THRESHOLD)
  // glibc's own bounds for the threshold it adjusts (32 MiB on 64-bit systems); the heap's top
  // is kept up to twice the threshold, as glibc's adjustment does, so a block freed at the top
  // is not handed back only to be faulted in again for the next frame.
  constexpr std::size_t kLeast = 2 * 1024 * 1024;
  constexpr std::size_t kMost = 32 * 1024 * 1024;
  const std::size_t threshold = std::clamp(bytes, kLeast, kMost);
  mallopt(M_MMAP_THRESHOLD, static_cast<int>(threshold));
  mallopt(M_TRIM_THRESHOLD, static_cast<int>(2 * threshold));
#else
  (void)bytes;
#endif
}

}  // namespace platform
