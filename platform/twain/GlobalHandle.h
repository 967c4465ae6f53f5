// GlobalHandle: owns one global memory block and frees it exactly once,
// when it is reset, replaced or destroyed.
#pragma once

#include <memory>

#include "GlobalMemory.h"

struct GlobalBlockFree {
    void operator()(HGLOBAL block) const { GlobalFree(block); }
};

using GlobalHandle = std::unique_ptr<GlobalBlock, GlobalBlockFree>;
