// Global memory handles: movable blocks that the application and the TWAIN
// source manager hand to each other (a transfer count container, a native
// image). This shared library is the one allocator both sides link, so a
// block allocated by the source manager is freed by the application.
// Handles are checked: freeing a handle that is not live fails instead of
// corrupting memory, and the counts below let tests prove that every block
// was freed exactly once. Safe to call from any thread.
#pragma once

#include <cstddef>

extern "C" {

struct GlobalBlock;
using HGLOBAL = GlobalBlock*;

// A new zero-filled block of the given size; never null.
HGLOBAL GlobalAlloc(std::size_t bytes);
// The block's bytes (null for a handle that is not live).
void* GlobalLock(HGLOBAL block);
void GlobalUnlock(HGLOBAL block);
// The block's size; 0 for null or a handle that is not live.
std::size_t GlobalSize(HGLOBAL block);
// Null when the block was live and is now freed; the handle itself when it
// was not live (null, freed before, or never allocated here).
HGLOBAL GlobalFree(HGLOBAL block);

// Blocks allocated and not yet freed.
std::size_t GlobalLiveBlocks();
// GlobalFree calls that were refused since the program started.
std::size_t GlobalRefusedFrees();
}
