// The small number, string, path and file routines the engine shares. The
// date-time routines are in records/DosDateTime.h, the folder walk in
// DirSearch.h.
//
// Paths use "/". There are no drives: a drive number means the current
// folder, and a rename between file systems is what fails where the engine
// on other hosts sees two drives.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "records/DosDateTime.h"

std::int64_t MinInt64(std::int64_t a, std::int64_t b);
std::int64_t MaxInt64(std::int64_t a, std::int64_t b);

// part x 100 / total, rounded to the nearest integer (halves to even) and at
// most 100; 0 when total <= 0. Computed without overflow for any arguments.
std::int64_t CalcPercent(std::int32_t total, std::int32_t part);
std::int64_t CalcPercent64(std::int64_t total, std::int64_t part);

// Names in memory and in archives both use "/" here. BackslashToSlash makes a
// name ready to store; SlashToBackslash makes a stored name ready for memory.
// Both turn every "\" into "/", since names written by some Windows tools
// carry "\" as their separator. Each changes text in place and returns it.
std::string& BackslashToSlash(std::string& text);
std::string& SlashToBackslash(std::string& text);

// The last / first count characters; the whole text when it is shorter,
// nothing for a count <= 0.
std::string RightChars(const std::string& text, std::int64_t count);
std::string LeftChars(const std::string& text, std::int64_t count);

// The characters that make a name a pattern.
constexpr std::string_view WildcardChars = "*?<>|";

// True if text holds any of WildcardChars.
bool WildcardPos(const std::string& text);

// Makes the folder and its missing parents. A folder that cannot be made
// shows when a file is created in it.
void LFNForceDirectories(const std::string& folder);
// Whether the name exists and is not a folder.
bool LFNFileExists(const std::string& fileName);
bool LFNDirectoryExists(const std::string& folder);
// The current folder (whatever the drive number); "." when it is gone.
void LFNGetDir(int drive, std::string& folder);

// Renames source over destination in one step (rename(2): an existing
// destination is replaced atomically). False when the rename fails, for
// example between file systems; neither file is touched then.
bool RenameReplacing(const std::string& source, const std::string& destination);

// Moves source to destination: renames it, or, where that fails, copies it
// with CopyFileReplacing and leaves the source for the caller to delete. A
// copy that fails shows "Could not copy from <source> -> <destination>" and
// raises the copy's exception.
void MoveFileOrCopy(const std::string& source, const std::string& destination);

// Replaces destination by a copy of source: the bytes go into a new file
// beside the destination, which is checked for the whole length, forced to
// disk and then renamed over the destination. The copy gets the source's
// permission bits. On failure the destination is as it was, the new file is
// gone, and EFOpenError, EFCreateError, EReadError or EWriteError tells why.
void CopyFileReplacing(const std::string& source, const std::string& destination);

// Creates a new, empty, unique file (mode 0600) in folder, named "KPZ" and
// six more characters, and returns its name; EFCreateError when it cannot.
std::string GetTempZipFileName(const std::string& folder);

// Rewrites each component of path in its short (mode 0) or long (mode 1)
// form. Linux names have one form only, so the path comes back as given.
void ConvertPathForm(const std::string& path, int mode, std::string& result);
