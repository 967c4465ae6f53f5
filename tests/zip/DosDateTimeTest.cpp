#include "records/DosDateTime.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>

#include "TempDir.h"

namespace {

TDosDateTime Dos(unsigned year, unsigned month, unsigned day, unsigned hour, unsigned minute, unsigned second)
{
    return (year - 1980) << 25 | month << 21 | day << 16 | hour << 11 | minute << 5 | second / 2;
}

const TDosDateTime endOf2099 = Dos(2099, 12, 31, 23, 59, 58);

struct SanitizeCase {
    const char* what;
    TDosDateTime given;
    TDosDateTime expected;
};

const SanitizeCase sanitizeCases[] = {
    {"valid", Dos(2024, 2, 29, 13, 45, 30), Dos(2024, 2, 29, 13, 45, 30)},
    {"valid, odd bits", Dos(1980, 1, 1, 0, 0, 0) | 1, Dos(1980, 1, 1, 0, 0, 2)},
    {"day not checked against its month", Dos(2023, 2, 31, 0, 0, 0), Dos(2023, 2, 31, 0, 0, 0)},
    {"month 0", Dos(2000, 0, 5, 1, 2, 4), Dos(2000, 1, 5, 1, 2, 4)},
    {"month 13", Dos(2000, 13, 5, 1, 2, 4), Dos(2000, 12, 5, 1, 2, 4)},
    {"day 0", Dos(2000, 6, 0, 1, 2, 4), Dos(2000, 6, 1, 1, 2, 4)},
    {"hour 24", Dos(2000, 6, 5, 24, 2, 4), Dos(2000, 6, 5, 23, 2, 4)},
    {"minute 60", Dos(2000, 6, 5, 1, 60, 4), Dos(2000, 6, 5, 1, 59, 4)},
    {"second 60", Dos(2000, 6, 5, 1, 2, 60), Dos(2000, 6, 5, 1, 2, 58)},
    {"year 2107", Dos(2107, 6, 5, 1, 2, 4), Dos(2099, 6, 5, 1, 2, 4)},
    {"all ones", 0xFFFFFFFF, endOf2099},
};

TEST(DosDateTime, SanitizeClampsEachFieldAndKeepsValidValues)
{
    for (const SanitizeCase& c : sanitizeCases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(SanitizeDosDateTime(c.given), c.expected);
    }
}

TEST(DosDateTime, ConvertsToLocalTimeAndBack)
{
    for (TDosDateTime value : {Dos(1980, 1, 1, 0, 0, 0), Dos(2024, 2, 29, 13, 45, 30), Dos(2024, 7, 1, 3, 30, 0),
             Dos(2099, 12, 31, 23, 59, 58)}) {
        const std::optional<std::time_t> t = DosDateTimeToTime(value);
        ASSERT_TRUE(t) << value;
        EXPECT_TRUE(IsRealDosDateTime(value)) << value;
        std::tm local{};
        ::localtime_r(&*t, &local);
        EXPECT_EQ(local.tm_year + 1900, static_cast<int>(1980 + (value >> 25)));
        EXPECT_EQ(TimeToDosDateTime(*t), value);
    }
}

TEST(DosDateTime, RefusesDaysAndTimesThatDoNotExist)
{
    for (TDosDateTime value : {Dos(2023, 2, 29, 0, 0, 0), Dos(2024, 2, 30, 0, 0, 0), Dos(2024, 4, 31, 0, 0, 0),
             Dos(2024, 0, 1, 0, 0, 0), Dos(2024, 13, 1, 0, 0, 0), Dos(2024, 1, 0, 0, 0, 0), Dos(2024, 1, 1, 24, 0, 0),
             Dos(2024, 1, 1, 0, 60, 0), Dos(2024, 1, 1, 0, 0, 60)}) {
        EXPECT_FALSE(DosDateTimeToTime(value)) << value;
        EXPECT_FALSE(IsRealDosDateTime(value)) << value;
    }
}

TEST(DosDateTime, ClampsTimesOutsideTheLayout)
{
    EXPECT_EQ(TimeToDosDateTime(0), Dos(1980, 1, 1, 0, 0, 0));
    std::tm far{};
    far.tm_year = 2200 - 1900;
    far.tm_mon = 5;
    far.tm_mday = 1;
    far.tm_isdst = -1;
    EXPECT_EQ(TimeToDosDateTime(std::mktime(&far)), Dos(2107, 12, 31, 23, 59, 58));
}

void SetModificationTime(const std::string& fileName, std::time_t t)
{
    const timespec times[2] = {{t, 0}, {t, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, fileName.c_str(), times, 0), 0);
}

TEST(DosDateTime, GetFileDateTimeGivesTheLocalLastWriteTime)
{
    TempDir dir;
    const std::string file = dir.Write("a.txt", "x");
    const TDosDateTime stamp = Dos(2021, 11, 7, 8, 9, 10);
    SetModificationTime(file, *DosDateTimeToTime(stamp));
    EXPECT_EQ(GetFileDateTime(file), stamp);

    SetModificationTime(file, 12345);
    EXPECT_EQ(GetFileDateTime(file), Dos(1980, 1, 1, 0, 0, 0));
}

TEST(DosDateTime, GetFileDateTimeOfAMissingNameOrAFolderIsTheEndOf2099)
{
    TempDir dir;
    EXPECT_EQ(GetFileDateTime(dir.File("missing")), endOf2099);
    EXPECT_EQ(GetFileDateTime(dir.Folder()), endOf2099);
}

} // namespace
