// Date and time in the MS-DOS layout that zip headers store, and its
// conversions to and from the system's time_t (always through local time, as
// the zip format keeps local times).
//
// Layout, high to low: bits 25-31 year - 1980, 21-24 month, 16-20 day,
// 11-15 hour, 5-10 minute, 0-4 seconds / 2.
#pragma once

#include <cstdint>
#include <ctime>
#include <optional>
#include <string>

using TDosDateTime = std::uint32_t;

// Clamps each field into its range (hour <= 23, minute and second <= 59,
// year 1980 to 2099, month 1 to 12, day 1 to 31); a value that needs no clamp
// comes back bit for bit. The day is not checked against its month.
TDosDateTime SanitizeDosDateTime(TDosDateTime value);

// The local time of t; times before 1980 give 1 January 1980 00:00:00, times
// after 2107 the last value the layout holds. Odd seconds round down.
TDosDateTime TimeToDosDateTime(std::time_t t);

// Whether every field is in range and the day exists in its month (not 30
// February): whether DosDateTimeToTime converts it. Cheap, with no time zone
// lookup, for comparisons that only need to know.
bool IsRealDosDateTime(TDosDateTime value);

// The time_t of a local DOS date-time; none unless IsRealDosDateTime. The
// zone is the one the process last read (at its first local-time conversion
// or its last tzset): away from a change of offset a conversion asks nothing
// of the system.
std::optional<std::time_t> DosDateTimeToTime(TDosDateTime value);

// The file's last-write time through SanitizeDosDateTime. A missing name or a
// folder gives 31 December 2099 23:59:58; a time that does not convert back
// (a day its month lacks) gives the current local time. Never fails.
TDosDateTime GetFileDateTime(const std::string& fileName);
