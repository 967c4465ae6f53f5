// The file search record: what a folder listing tells about one entry, in the
// terms the engine stores (DOS date-time, DOS attribute bits).
#pragma once

#include <cstdint>
#include <string>

#include "records/DosDateTime.h"

// Attribute bits. On Linux: read-only when the owner may not write, hidden
// for names beginning with ".", archive always; system and volume label never.
constexpr int faReadOnly = 0x01;
constexpr int faHidden = 0x02;
constexpr int faSysFile = 0x04;
constexpr int faVolumeID = 0x08;
constexpr int faDirectory = 0x10;
constexpr int faArchive = 0x20;

struct TSearchRec {
    TDosDateTime Time = 0;  // last write, local time
    std::int64_t Size = 0;  // bytes; 0 for a folder
    int Attr = 0;
    std::string Name;       // without its folder
};

// Fills record for the entry name in folder (which ends in "/", or is empty
// for the current folder). Only regular files and folders are entries: a
// symbolic link counts as the regular file it points to, and as nothing when
// it points to a folder (the walk never follows links into folders); FIFOs,
// devices, sockets, dangling links and missing names give false.
bool ReadSearchRec(const std::string& folder, const std::string& name, TSearchRec& record);

// Why ReadSearchRec gave false for the entry: empty when nothing of that
// name is there; the system's error for one that cannot be looked at; else
// what the entry is ("a FIFO, not a regular file", "a symbolic link to a
// folder, which is not followed", "a symbolic link to nothing", ...).
std::string RefusalOf(const std::string& folder, const std::string& name);

// The entry is a folder. "." and ".." are never listed, so every folder
// entry is a real one.
bool IsDirectory(const TSearchRec& record);
bool IsRealDirectory(const TSearchRec& record);
