#include "GlobalMemory.h"

#include <cstring>

#include <gtest/gtest.h>

#include "GlobalHandle.h"

TEST(GlobalMemory, BlocksAreZeroFilledAndCounted)
{
    const std::size_t before = GlobalLiveBlocks();
    HGLOBAL block = GlobalAlloc(6);
    EXPECT_EQ(GlobalLiveBlocks(), before + 1);
    EXPECT_EQ(GlobalSize(block), 6u);
    const auto* bytes = static_cast<const unsigned char*>(GlobalLock(block));
    EXPECT_EQ(std::memcmp(bytes, "\0\0\0\0\0\0", 6), 0);
    GlobalUnlock(block);
    EXPECT_EQ(GlobalFree(block), nullptr);
    EXPECT_EQ(GlobalLiveBlocks(), before);
}

TEST(GlobalMemory, FreeingTwiceIsRefusedAndCounted)
{
    const std::size_t refused = GlobalRefusedFrees();
    HGLOBAL block = GlobalAlloc(1);
    ASSERT_EQ(GlobalFree(block), nullptr);
    EXPECT_EQ(GlobalFree(block), block);
    EXPECT_EQ(GlobalSize(block), 0u);
    EXPECT_EQ(GlobalLock(block), nullptr);
    EXPECT_EQ(GlobalRefusedFrees(), refused + 1);
}

TEST(GlobalMemory, HandleFreesOnceWhenReplacedAndDestroyed)
{
    const std::size_t before = GlobalLiveBlocks();
    const std::size_t refused = GlobalRefusedFrees();
    {
        GlobalHandle held(GlobalAlloc(10));
        held.reset(GlobalAlloc(20));
        EXPECT_EQ(GlobalLiveBlocks(), before + 1);
    }
    EXPECT_EQ(GlobalLiveBlocks(), before);
    EXPECT_EQ(GlobalRefusedFrees(), refused);
}
