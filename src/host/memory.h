// Heap blocks for the few places that want them, with the out-of-memory rule
// of the program: running out ends the process with status 9 and no message.
#pragma once

#include <cstddef>

// Called when memory runs out; the installed handler ends the process with
// status 9 and prints nothing.
using OutOfMemoryHandler = void (*)(const char* message);
extern OutOfMemoryHandler outOfMemoryHandler;

// The handler that setUpConsole installs (also as the C++ new-handler).
void installOutOfMemoryHandler();

// A block of `size` bytes into `block`; on failure (size > 0) calls
// outOfMemoryHandler with "Not enough memory".
void allocate(void*& block, std::size_t size);
// Gives the block back; nothing for a null block.
void release(void*& block, std::size_t size);
// Size 0 releases; a null block is allocated; an equal size does nothing;
// with `keep` the first min(old, new) bytes move to the new block in pieces
// of at most 65520 bytes.
void resize(void*& block, std::size_t oldSize, std::size_t newSize, bool keep);
