// The enumerations of the archive reader's settings and the types of its
// events. Every event is a std::function member of TZipReader, unassigned
// until a program assigns it; var parameters are references the handler may
// change.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

class TZipReader;

// What extraction does when the output file exists.
enum TUZOverwriteMode : std::uint8_t { Prompt, Always, Never, ifNewer, ifOlder };

// What a file without a usable end record is taken for.
enum TIncompleteZipMode : std::uint8_t {
    izAssumeMulti,   // a volume of a multi-volume set: EIncompleteZip
    izAssumeBad,     // a damaged archive: rebuilt from its local headers
    izAssumeNotAZip, // no archive at all: ENotAZipFile
};

enum TMultiMode : std::uint8_t { mmNone, mmSpan, mmBlocks };

// Why an entry (or, in the writer, a file) is skipped.
enum TSkipReason : std::uint8_t {
    srBadPassword = 0,
    srNoOverwrite = 1, // the reader did not overwrite; the writer met a duplicate
    srSourceUnavailable = 2,
    srCannotCreateOutput = 3,
};

using TStartUnzipInfo =
    std::function<void(TZipReader& Sender, int NumFiles, std::int64_t TotalBytes, bool& StopNow)>;
using TStartUnZipEvent = std::function<void(TZipReader& Sender, int FileIndex, std::string& FName, bool& Skip)>;
using TEndUnZipEvent = std::function<void(TZipReader& Sender, int FileIndex, const std::string& FName)>;
using TPromptForOverwrite =
    std::function<void(TZipReader& Sender, bool& OverWriteIt, int FileIndex, std::string& FName)>;
using TSkippingFile = std::function<void(TZipReader& Sender, TSkipReason Reason, const std::string& FName,
                                         int FileIndex, bool& Retry)>;
using TBadPassword = std::function<void(TZipReader& Sender, int FileIndex, std::string& NewPassword)>;
using TBadCRC = std::function<void(TZipReader& Sender, std::uint32_t CalcCRC, std::uint32_t StoredCRC, int FileIndex)>;
using TIncompleteZip = std::function<void(TZipReader& Sender, TIncompleteZipMode& IncompleteMode)>;
using TGetNextDisk = std::function<void(TZipReader& Sender, int NextDisk, std::string& FName)>;
using TUnZipComplete = std::function<void(TZipReader& Sender, int FileCount)>;
using TGetNextBuffer = std::function<void(TZipReader& Sender, char*& Buffer, const std::string& FName,
                                          int AmountUsed, int BufferNum, bool& Quit)>;
using TDecryptEvent =
    std::function<void(TZipReader& Sender, std::uint8_t* buffer, int length, const std::string& Password)>;
using TFilePercentDone = std::function<void(TZipReader& Sender, int Percent)>;
using TTotalPercentDone = std::function<void(TZipReader& Sender, int Percent)>;
