#pragma once
#include <cstddef>
// How the process's memory allocator gives memory back to the system.

namespace platform {

// Large blocks (decoded artwork, window buffers) are mapped on their own and
// go back to the system as soon as they are freed, instead of staying in the heap for reuse.
// Call once at start-up, before any window is made.
void ReturnLargeBlocksToSystem();

// From now on blocks of up to `bytes` are reused from the heap, as glibc does by itself once it has
// seen blocks of that size freed. A page that draws every frame makes and drops buffers of its
// window's size each frame; mapping each one anew costs a page fault for every 4 KiB of it.
void ReuseBlocksUpTo(std::size_t bytes);

}  // namespace platform
