// How entry names travel between an archive and memory.
//
// In memory a name is UTF-8 (where its bytes allow) with "/" between its
// parts; in the archive it is the bytes that the entry's maker stored. The
// rule, the same in both directions so that rewriting an archive never
// changes the names of the entries it keeps:
//
// - general purpose flag bit 11 set: the bytes are UTF-8 and stay as they
//   are, whatever the OEM-convert setting says;
// - otherwise, with OEM convert on and an MS-DOS host (host byte 0 of the
//   central header's version-made-by; a local header has no host byte and
//   counts as MS-DOS), the bytes are CP437 and are converted to UTF-8;
// - otherwise the bytes stay as they are: a Unix-made (host 3) name from
//   Info-ZIP is already UTF-8, or raw bytes that no conversion would improve.
//
// Backslashes in names made on hosts other than Unix are separators of
// DOS-made names and become "/"; on Unix a backslash is an ordinary name
// character. ":" is an ordinary character too: there are no drive letters.
//
// Writing a new name: pure ASCII is stored as it is; with OEM convert on, a
// name whose every character has a CP437 form is stored as CP437 on an
// MS-DOS made entry; any other name that is valid UTF-8 is stored as UTF-8
// with bit 11 set. An entry read from an archive keeps its stored bytes
// (see TZipHeaderInfo) so it is written back exactly.
//
// The writer makes a new entry on MS-DOS when its name is ASCII without
// "" (every album entry is such), as the engine always has, and on Unix
// otherwise: only in a Unix made name do readers (this one, Info-ZIP's
// unzip, 7-Zip) keep "" as a character, where an MS-DOS made name uses it
// between folders; and only there does unzip take the bytes as they are,
// where it reads an MS-DOS made name as CP437 even when it is flagged UTF-8.
// So a Linux name reads back as it was written; Python, which decodes an
// unflagged name as CP437 whatever its host, reads back every name that is
// valid UTF-8.
//
// Length: a record holds at most 65535 name bytes, and the stored bytes of
// an entry read never pass that. Its in-memory name may: a CP437 byte above
// 0x7F becomes two or three UTF-8 bytes. Such a name is kept, and written
// back as its stored bytes; only a new or changed name whose stored form is
// longer than a record holds is refused, when it is written (EWriteError).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// General purpose flag bit 11: name and comment are UTF-8.
constexpr std::uint16_t Utf8NameFlag = 0x0800;
// Host systems of the version-made-by high byte that the name rule knows.
constexpr std::uint8_t HostMsDos = 0;
constexpr std::uint8_t HostUnix = 3;

// A name as it lies in the archive, with the state of its UTF-8 flag.
struct TStoredName {
    std::string bytes;
    bool utf8 = false;
};

// The in-memory form of stored name bytes. host is none for a local header.
std::string DecodeStoredName(std::string_view stored, std::uint16_t flags, std::optional<std::uint8_t> host,
                             bool oemConvert);
// The stored form of a new in-memory name.
TStoredName EncodeStoredName(std::string_view name, bool oemConvert);
// The host system a new entry of this in-memory name is made on.
std::uint8_t HostOfNewName(std::string_view name);

// The directory part (empty, or up to and including the last "/") and the
// file name part (the rest) of an in-memory name.
struct TNameParts {
    std::string directory;
    std::string filename;
};
TNameParts SplitEntryName(std::string_view name);

// Where an entry may be extracted, relative to the destination folder: the
// name without leading "/" and without empty or "." parts, ending in "/" for
// a folder entry. A name that holds a NUL byte or a ".." part, or that leaves
// nothing to extract to, is unsafe: its path is empty and the reason says why,
// so extraction skips the entry and can tell the user.
struct TSafePath {
    std::string path;
    std::string unsafeReason; // empty when the name is safe
};
TSafePath SafeExtractionPath(std::string_view name);
