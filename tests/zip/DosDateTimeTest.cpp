#include "records/DosDateTime.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <optional>
#include <string>

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

// Runs the test body in the time zone tz, then puts the process's zone back.
class TimeZoneScope {
public:
    explicit TimeZoneScope(const char* tz)
    {
        if (const char* old = std::getenv("TZ"))
            saved_ = old;
        ::setenv("TZ", tz, 1);
        ::tzset();
    }
    ~TimeZoneScope()
    {
        if (saved_)
            ::setenv("TZ", saved_->c_str(), 1);
        else
            ::unsetenv("TZ");
        ::tzset();
    }

private:
    std::optional<std::string> saved_;
};

std::optional<std::time_t> ByMktime(TDosDateTime value)
{
    std::tm local{};
    local.tm_year = static_cast<int>(value >> 25) + 80;
    local.tm_mon = static_cast<int>((value >> 21) & 0x0F) - 1;
    local.tm_mday = static_cast<int>((value >> 16) & 0x1F);
    local.tm_hour = static_cast<int>((value >> 11) & 0x1F);
    local.tm_min = static_cast<int>((value >> 5) & 0x3F);
    local.tm_sec = static_cast<int>(2 * (value & 0x1F));
    local.tm_isdst = -1;
    const std::time_t t = std::mktime(&local);
    return t == static_cast<std::time_t>(-1) ? std::nullopt : std::optional<std::time_t>(t);
}

struct ZoneCase {
    const char* tz;
    // Days whose stamps are compared every 7 minutes 58 seconds, with the
    // day before and the day after: each holds a change of offset.
    TDosDateTime days[4];
};

// A POSIX rule needs no zone files; the named zones need tzdata: Berlin
// changes by an hour at 02:00 and 03:00, Lord Howe by half an hour, Sao
// Paulo changed at midnight until 2019, Kathmandu once by 15 minutes.
const ZoneCase zoneCases[] = {
    {"CET-1CEST,M3.5.0,M10.5.0/3",
     {Dos(2026, 3, 29, 0, 0, 0), Dos(2026, 10, 25, 0, 0, 0), Dos(1996, 10, 27, 0, 0, 0), Dos(2099, 3, 29, 0, 0, 0)}},
    {"Europe/Berlin",
     {Dos(2026, 3, 29, 0, 0, 0), Dos(2026, 10, 25, 0, 0, 0), Dos(1980, 4, 6, 0, 0, 0), Dos(1980, 9, 28, 0, 0, 0)}},
    {"Australia/Lord_Howe",
     {Dos(2026, 4, 5, 0, 0, 0), Dos(2026, 10, 4, 0, 0, 0), Dos(1985, 10, 27, 0, 0, 0), Dos(1986, 3, 16, 0, 0, 0)}},
    {"America/Sao_Paulo",
     {Dos(2018, 11, 4, 0, 0, 0), Dos(2018, 2, 18, 0, 0, 0), Dos(2019, 2, 17, 0, 0, 0), Dos(2020, 11, 1, 0, 0, 0)}},
    {"Asia/Kathmandu",
     {Dos(1986, 1, 1, 0, 0, 0), Dos(1985, 12, 31, 0, 0, 0), Dos(2026, 6, 1, 0, 0, 0), Dos(1980, 1, 1, 0, 0, 0)}},
};

TEST(DosDateTime, ConvertsAsMktimeDoesAcrossChangesOfOffset)
{
    for (const ZoneCase& zone : zoneCases) {
        SCOPED_TRACE(zone.tz);
        if (zone.tz[0] != 'C' && ::access(("/usr/share/zoneinfo/" + std::string(zone.tz)).c_str(), R_OK) != 0)
            continue; // tzdata is not installed
        const TimeZoneScope scope(zone.tz);
        for (TDosDateTime day : zone.days) {
            const std::time_t midnight = *ByMktime(day);
            for (std::time_t t = midnight - 86400; t < midnight + 2 * 86400; t += 7 * 60 + 58) {
                const TDosDateTime value = TimeToDosDateTime(t);
                SCOPED_TRACE(value);
                EXPECT_EQ(DosDateTimeToTime(value), ByMktime(value));
            }
            // The hours a change skips are not any time's local time.
            for (unsigned hour = 0; hour < 24; ++hour)
                for (unsigned minute = 0; minute < 60; minute += 15) {
                    const TDosDateTime value = day | hour << 11 | minute << 5;
                    SCOPED_TRACE(value);
                    EXPECT_EQ(DosDateTimeToTime(value), ByMktime(value));
                }
        }
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
