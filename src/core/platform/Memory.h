#pragma once
// How the process's memory allocator gives memory back to the system.

namespace platform {

// Large blocks (decoded artwork, window buffers) are mapped on their own and
// go back to the system as soon as they are freed, instead of staying in the heap for reuse.
// Call once at start-up, before any window is made.
void ReturnLargeBlocksToSystem();

}  // namespace platform
