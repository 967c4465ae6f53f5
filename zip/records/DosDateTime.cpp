#include "records/DosDateTime.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstdint>

namespace {

// The fields of a DOS date-time, seconds as seconds (not halved).
struct TDosFields {
    unsigned Year, Month, Day, Hour, Minute, Second;
};

TDosFields Unpack(TDosDateTime value)
{
    return {
        1980 + (value >> 25),
        (value >> 21) & 0x0F,
        (value >> 16) & 0x1F,
        (value >> 11) & 0x1F,
        (value >> 5) & 0x3F,
        2 * (value & 0x1F),
    };
}

TDosDateTime Pack(const TDosFields& f)
{
    return (f.Year - 1980) << 25 | f.Month << 21 | f.Day << 16 | f.Hour << 11 | f.Minute << 5 | f.Second / 2;
}

bool IsLeapYear(unsigned year) { return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0); }

unsigned DaysInMonth(unsigned year, unsigned month)
{
    static constexpr unsigned days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && IsLeapYear(year) ? 29 : days[month - 1];
}

constexpr unsigned lastDosYear = 1980 + 127;

// Days from 1 January 1970 to the given day of the proleptic Gregorian
// calendar (month 1 to 12); H. Hinnant's days_from_civil.
std::int64_t DaysSinceEpoch(unsigned year, unsigned month, unsigned day)
{
    const std::int64_t y = static_cast<std::int64_t>(year) - (month <= 2 ? 1 : 0);
    const std::int64_t era = y / 400;
    const std::int64_t yearOfEra = y - era * 400;
    const std::int64_t dayOfYear = (153 * (month > 2 ? month - 3 : month + 9) + 2) / 5 + day - 1;
    const std::int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

// The fields read as if they were UTC.
std::time_t AsUniversalTime(const TDosFields& f)
{
    return static_cast<std::time_t>(DaysSinceEpoch(f.Year, f.Month, f.Day) * 86400 + f.Hour * 3600 + f.Minute * 60 +
                                    f.Second);
}

// Seconds east of UTC of local time at t. localtime_r reads the zone once;
// mktime re-reads it at every call (with TZ unset glibc stats /etc/localtime
// each time), which costs a system call per extracted file.
long LocalOffsetAt(std::time_t t)
{
    std::tm local{};
    return ::localtime_r(&t, &local) ? local.tm_gmtoff : 0;
}

std::optional<std::time_t> LocalTimeByMktime(const TDosFields& f)
{
    std::tm local{};
    local.tm_year = static_cast<int>(f.Year) - 1900;
    local.tm_mon = static_cast<int>(f.Month) - 1;
    local.tm_mday = static_cast<int>(f.Day);
    local.tm_hour = static_cast<int>(f.Hour);
    local.tm_min = static_cast<int>(f.Minute);
    local.tm_sec = static_cast<int>(f.Second);
    local.tm_isdst = -1;
    const std::time_t t = std::mktime(&local);
    if (t == static_cast<std::time_t>(-1))
        return std::nullopt;
    return t;
}

} // namespace

TDosDateTime SanitizeDosDateTime(TDosDateTime value)
{
    const TDosFields given = Unpack(value);
    const TDosFields clamped{
        std::clamp(given.Year, 1980u, 2099u),
        std::clamp(given.Month, 1u, 12u),
        std::clamp(given.Day, 1u, 31u),
        std::min(given.Hour, 23u),
        std::min(given.Minute, 59u),
        std::min(given.Second, 59u),
    };
    const bool changed = clamped.Year != given.Year || clamped.Month != given.Month || clamped.Day != given.Day
        || clamped.Hour != given.Hour || clamped.Minute != given.Minute || clamped.Second != given.Second;
    return changed ? Pack(clamped) : value;
}

TDosDateTime TimeToDosDateTime(std::time_t t)
{
    std::tm local{};
    if (!::localtime_r(&t, &local) || local.tm_year + 1900 < 1980)
        return Pack({1980, 1, 1, 0, 0, 0});
    const auto year = static_cast<unsigned>(local.tm_year + 1900);
    if (year > lastDosYear)
        return Pack({lastDosYear, 12, 31, 23, 59, 58});
    return Pack({
        year,
        static_cast<unsigned>(local.tm_mon + 1),
        static_cast<unsigned>(local.tm_mday),
        static_cast<unsigned>(local.tm_hour),
        static_cast<unsigned>(local.tm_min),
        std::min(static_cast<unsigned>(local.tm_sec), 59u), // a leap second
    });
}

bool IsRealDosDateTime(TDosDateTime value)
{
    const TDosFields f = Unpack(value);
    return f.Month >= 1 && f.Month <= 12 && f.Day >= 1 && f.Day <= DaysInMonth(f.Year, f.Month) && f.Hour <= 23 &&
           f.Minute <= 59 && f.Second <= 59;
}

std::optional<std::time_t> DosDateTimeToTime(TDosDateTime value)
{
    if (!IsRealDosDateTime(value))
        return std::nullopt;
    const TDosFields f = Unpack(value);
    // Where the zone's offset is the same a day before and a day after, the
    // stamp names exactly one instant, found by arithmetic. Near a change of
    // offset (a skipped or a repeated hour) mktime decides, as it always did.
    const std::time_t universal = AsUniversalTime(f);
    const long offset = LocalOffsetAt(universal - 86400);
    if (LocalOffsetAt(universal + 86400) == offset && LocalOffsetAt(universal - offset) == offset)
        return universal - offset;
    return LocalTimeByMktime(f);
}

TDosDateTime GetFileDateTime(const std::string& fileName)
{
    // The file-age query's answer for a missing name or a folder: all ones.
    TDosDateTime age = 0xFFFFFFFF;
    struct stat info {};
    if (::stat(fileName.c_str(), &info) == 0 && !S_ISDIR(info.st_mode))
        age = TimeToDosDateTime(info.st_mtim.tv_sec);
    const TDosDateTime sanitized = SanitizeDosDateTime(age);
    if (!DosDateTimeToTime(sanitized))
        return TimeToDosDateTime(std::time(nullptr));
    return sanitized;
}
