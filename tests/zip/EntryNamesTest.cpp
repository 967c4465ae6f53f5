#include "records/EntryNames.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(EntryNames, SplitsAtTheLastSlash)
{
    struct Case {
        std::string name, directory, filename;
    };
    const Case cases[] = {
        {"notes", "", "notes"},
        {"docs/notes", "docs/", "notes"},
        {"/pictoview.ini", "/", "pictoview.ini"},
        {"a/b/", "a/b/", ""},
        {"C:notes", "", "C:notes"}, // no drive letters
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const TNameParts parts = SplitEntryName(c.name);
        EXPECT_EQ(parts.directory, c.directory);
        EXPECT_EQ(parts.filename, c.filename);
    }
}

TEST(EntryNames, SafePathsStayInsideTheDestination)
{
    struct Case {
        std::string name, path;
        bool safe;
    };
    const Case cases[] = {
        {"/Image1.jpg", "Image1.jpg", true},
        {"//a//b/./c", "a/b/c", true},
        {"folder/", "folder/", true},
        {"C:/x", "C:/x", true},
        {"..", "", false},
        {"a/../../b", "", false},
        {"a/..", "", false},
        {"...", "...", true},
        {"/", "", false},
        {"", "", false},
        {std::string("a\0b", 3), "", false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const TSafePath safe = SafeExtractionPath(c.name);
        EXPECT_EQ(safe.path, c.path);
        EXPECT_EQ(safe.unsafeReason.empty(), c.safe);
    }
}

TEST(EntryNames, DecodingFollowsFlagHostAndSetting)
{
    struct Case {
        const char* what;
        std::string stored;
        std::uint16_t flags;
        std::optional<std::uint8_t> host;
        bool oem;
        std::string name;
    };
    const Case cases[] = {
        {"DOS OEM", "\x84.txt", 0, HostMsDos, true, "ä.txt"},
        {"local header counts as DOS", "\x84.txt", 0, std::nullopt, true, "ä.txt"},
        {"no OEM", "\x84.txt", 0, HostMsDos, false, "\x84.txt"},
        {"Unix", "\x84.txt", 0, HostUnix, true, "\x84.txt"},
        {"UTF-8 flag", "ä.txt", Utf8NameFlag, HostMsDos, true, "ä.txt"},
        {"NTFS host keeps bytes", "\x84\\x", 0, std::uint8_t{10}, true, "\x84/x"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(DecodeStoredName(c.stored, c.flags, c.host, c.oem), c.name);
    }
}

} // namespace
