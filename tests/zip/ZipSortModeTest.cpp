#include "lists/ZipSortMode.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "records/ZipRecords.h"

namespace {

std::uint32_t DosDateTime(unsigned year, unsigned month, unsigned day, unsigned hour = 0)
{
    return ((year - 1980) << 25) | (month << 21) | (day << 16) | (hour << 11);
}


std::unique_ptr<TZipHeaderInfo> Make(const std::string& directory, const std::string& filename)
{
    auto entry = std::make_unique<TZipHeaderInfo>();
    entry->SetDirectory(directory);
    entry->SetFilename(filename);
    return entry;
}

int Sign(int value) { return value < 0 ? -1 : (value > 0 ? 1 : 0); }

TEST(CompareEntries, NamesCompareWithLettersFolded)
{
    struct Case {
        TZipSortMode mode;
        std::string dirA, fileA, dirB, fileB;
        int expected;
    };
    const Case cases[] = {
        {ByName, "a/", "x", "b/", "a", -1},
        {ByName, "", "Image1.jpg", "", "image1.JPG", 0},
        {ByName, "", "abc", "", "ab", 1},
        {ByName, "", "_", "", "a", 1}, // "_" (0x5F) sorts after "A" (0x41)
        {ByName, "", "é", "", "z", 1}, // bytes above ASCII are not folded
        {ByFileName, "z/", "a", "a/", "b", -1},
        {ByDirectoryName, "z/", "a", "a/", "b", 1},
        {ByDirectoryName, "Dir/", "a", "dir/", "b", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.fileA + " vs " + c.fileB);
        const auto a = Make(c.dirA, c.fileA);
        const auto b = Make(c.dirB, c.fileB);
        EXPECT_EQ(Sign(CompareEntries(*a, *b, c.mode)), c.expected);
    }
}

TEST(CompareEntries, DatesPutTheNewestFirstAndNeverTie)
{
    struct Case {
        std::uint32_t a, b;
        int expected;
    };
    const Case cases[] = {
        {DosDateTime(2020, 1, 1), DosDateTime(2021, 1, 1), 1},
        {DosDateTime(2021, 1, 1), DosDateTime(2020, 1, 1), -1},
        {DosDateTime(2020, 1, 1), DosDateTime(2020, 1, 1), -1},
        {DosDateTime(2020, 1, 1, 10), DosDateTime(2020, 1, 1, 9), -1},
        // 30 February cannot be converted and counts as the oldest.
        {DosDateTime(2020, 2, 30), DosDateTime(1980, 1, 1), 1},
        {DosDateTime(2020, 2, 29), DosDateTime(2019, 2, 29), -1}, // 2019 is no leap year
    };
    for (const auto& c : cases) {
        TZipHeaderInfo a, b;
        a.ModDateTime = c.a;
        b.ModDateTime = c.b;
        EXPECT_EQ(CompareEntries(a, b, ByDate), c.expected) << std::hex << c.a << " vs " << c.b;
    }
}

TEST(CompareEntries, SizesCompareUnsignedLargestFirst)
{
    struct Case {
        std::uint64_t a, b;
        int expected;
    };
    const Case cases[] = {
        {1, 2, 1},
        {2, 1, -1},
        {5, 5, -1},
        {0x80000000, 1, -1}, // above 2 GiB is still larger
        {1, 0xFFFFFFFF, 1},
    };
    for (const auto& c : cases) {
        TZipHeaderInfo a, b;
        a.CompressedSize = c.a;
        b.CompressedSize = c.b;
        EXPECT_EQ(CompareEntries(a, b, ByCompressedSize), c.expected);
        a.UncompressedSize = c.a;
        b.UncompressedSize = c.b;
        EXPECT_EQ(CompareEntries(a, b, ByUnCompressedSize), c.expected);
    }
}

TEST(CompareEntries, RatesPutTheLeastCompressedFirst)
{
    struct Case {
        std::uint64_t compressedA, uncompressedA, compressedB, uncompressedB;
        int expected;
    };
    const Case cases[] = {
        {50, 100, 90, 100, 1},
        {90, 100, 50, 100, -1},
        {1, 3, 33, 100, 0},      // 33.3 rounds to 33
        {1, 8, 12, 100, 0},      // 12.5 rounds half to even: 12
        {3, 8, 38, 100, 0},      // 37.5 rounds half to even: 38
        {250, 100, 100, 100, 0}, // capped at 100
        {0, 0, 0, 1, 0},         // an empty entry rates 0
        {0xC0000000, 0xFFFFFFFF, 75, 100, 0}, // unsigned: 75, not negative
    };
    for (const auto& c : cases) {
        TZipHeaderInfo a, b;
        a.CompressedSize = c.compressedA;
        a.UncompressedSize = c.uncompressedA;
        b.CompressedSize = c.compressedB;
        b.UncompressedSize = c.uncompressedB;
        EXPECT_EQ(Sign(CompareEntries(a, b, ByRate)), c.expected) << c.compressedA << "/" << c.uncompressedA;
    }
}

TEST(CompareEntries, PhysicalOrderIsDiskThenUnsignedOffset)
{
    struct Case {
        std::uint16_t diskA;
        std::uint64_t offsetA;
        std::uint16_t diskB;
        std::uint64_t offsetB;
        int expected;
    };
    const Case cases[] = {
        {0, 100, 1, 0, -1},
        {2, 0, 1, 100, 1},
        {0, 100, 0, 100, 0},
        {0, 0x80000000, 0, 10, 1}, // beyond 2 GiB comes later
        {0, 10, 0, 0xFFFFFFFF, -1},
    };
    for (const auto& c : cases) {
        TZipHeaderInfo a, b;
        a.DiskNumberStart = c.diskA;
        a.LocalHeaderOffset = c.offsetA;
        b.DiskNumberStart = c.diskB;
        b.LocalHeaderOffset = c.offsetB;
        EXPECT_EQ(Sign(CompareEntries(a, b, ByNone)), c.expected);
    }
}

} // namespace
