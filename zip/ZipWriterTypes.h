// The enumerations of the archive writer's settings, its multi-volume
// settings object and the types of its events. Every event is a
// std::function member of TZipWriter, unassigned until a program assigns it;
// var parameters are references the handler may change.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "ZipReaderTypes.h"

class TZipWriter;
class TZipHeaderInfo;
class TEndCentral;
class TStream;

// Which listed files a build takes when the archive holds their names.
enum TZipAction : std::uint8_t {
    zaUpdate,  // replace an entry only with a newer file; add new files
    zaReplace, // always replace matching entries; add new files
    zaFreshen, // only files already in the archive, and only when newer
};

// What the update pass does with a matched old entry.
enum TUpdateAction : std::uint8_t { uaReplace, uaKeep };

// The settings of spanned and block-file archives, owned by the writer.
class TMultiZipInfo {
public:
    void Assign(const TMultiZipInfo& source) { *this = source; }

    std::int64_t BlockSize = 1457600;
    std::int64_t FirstBlockSize = 1457600;
    std::int64_t SaveOnFirstDisk = 0;
    bool SaveZipInfoOnFirstDisk = false;
    TMultiMode MultiMode = mmNone;
    bool CheckDiskLabels = true;
    bool WriteDiskLabels = true;
};

struct TStoredEntry;

// One caller's stream for TZipWriter::AddStreamEntries: its whole content
// becomes the entry Name, encrypted with Password unless that is empty.
// With Stored set instead, that entry as another archive stored it
// (TZipReader::ReadStoredEntry) goes in unchanged under Name: its data,
// method, CRC, sizes and encryption, so an entry nobody here can decrypt
// still survives a rewrite.
struct TStreamEntry {
    TStream* Stream = nullptr;
    std::string Name;
    std::string Password;
    const TStoredEntry* Stored = nullptr;
};

using TStartZipInfo = std::function<void(TZipWriter& Sender, int NumFiles, std::int64_t TotalBytes,
                                         TEndCentral& EndCentralRecord, bool& StopNow)>;
// The handler may change the header or put another one in its place.
using TStartZipEvent = std::function<void(TZipWriter& Sender, const std::string& FName,
                                          std::unique_ptr<TZipHeaderInfo>& ZipHeader, bool& Skip)>;
using TEndZipFileEvent = std::function<void(TZipWriter& Sender, const std::string& FName,
                                            std::int64_t UncompressedSize, std::int64_t CompressedSize,
                                            std::int64_t CurrentZipSize)>;
using TDisposeEvent = std::function<void(TZipWriter& Sender, const std::string& FName, bool& Skip)>;
using TDeleteEvent = std::function<void(TZipWriter& Sender, const std::string& FName, bool& Skip)>;
using TNoSuchFileEvent = std::function<void(TZipWriter& Sender, const std::string& FName)>;
using TZipComplete = std::function<void(TZipWriter& Sender, int FileCount)>;
using TUpdateEvent = std::function<void(TZipWriter& Sender, TUpdateAction UDAction, int FileIndex)>;
using TPrepareNextDisk = std::function<void(TZipWriter& Sender, int DiskNum)>;
using TOnRecursingFile = std::function<void(TZipWriter& Sender, const std::string& FName)>;
// Encrypts length bytes of entry data in place.
using TEncryptEvent =
    std::function<void(TZipWriter& Sender, std::uint8_t* buffer, int length, const std::string& Password)>;
