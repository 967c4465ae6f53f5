// An entry on volumes. Its local header must hold the final sizes and CRC
// before its data, and the volume it starts on may be closed before the data
// are complete, so the data go into a temporary file first. Once they are
// known, the local header is written at the end of the open volume and the
// data are copied behind it, cut at each volume's end: as much as the room
// left takes, then the next volume. Data that end exactly at a volume's end
// are followed by a new volume, so what comes next starts on it. The
// temporary file has no name (files/UnnamedFile.h), so a build that is
// killed leaves none behind.
#include "ZipWriter.h"

#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <optional>

#include "ZipExceptions.h"
#include "ZipMessages.h"
#include "files/UnnamedFile.h"
#include "files/ZipLib.h"

namespace {

// Progress is reported after each part of the copy.
constexpr std::uint64_t CopyPartSize = 16384;

std::string VolumeTempFolder(const std::string& tempPath)
{
    if (!tempPath.empty())
        return tempPath;
    const char* folder = std::getenv("TMPDIR");
    return folder && *folder ? folder : "/tmp";
}

} // namespace

TStream& TZipWriter::EntryOutput() { return volumeTemp_ ? static_cast<TStream&>(*volumeTemp_) : *output_; }

void TZipWriter::PrepareVolumeEntry(bool withData)
{
    MakeRoomFor(newEntry_->LocalSize(), true);
    newEntry_->DiskNumberStart = static_cast<std::uint16_t>(currentDisk_);
    if (!withData)
        return;
    // Unnamed, the file goes with the process however that ends; where the
    // file system has no unnamed files, a named one is removed after use.
    const std::string folder = VolumeTempFolder(TempPath);
    if (std::optional<TFileHandle> unnamed = OpenUnnamedFile(folder)) {
        volumeTemp_ = std::make_unique<TLFNFileStream>(unnamed->Release(), folder, false, StreamBufferSize);
        return;
    }
    volumeTempName_ = GetTempZipFileName(folder);
    volumeTemp_ = std::make_unique<TLFNFileStream>(volumeTempName_, fmCreate, false, StreamBufferSize);
}

void TZipWriter::PlaceEntryOnVolumes()
{
    newEntry_->SaveLocalToStream(*output_);
    const std::uint64_t size = static_cast<std::uint64_t>(volumeTemp_->Position());
    // The build counted the entry's plain size twice; its copy is this size.
    totalBytes_ -= static_cast<std::int64_t>(newEntry_->UncompressedSize) - static_cast<std::int64_t>(size);
    volumeTemp_->Seek(0, soFromBeginning);
    CopyToVolumes(*volumeTemp_, size);
    volumeTemp_.reset();
    if (!volumeTempName_.empty())
        ::unlink(volumeTempName_.c_str());
    volumeTempName_.clear();
}

void TZipWriter::CopyToVolumes(TStream& data, std::uint64_t size)
{
    // The local header left room behind it, so no part is ever empty.
    for (std::uint64_t copied = 0; copied < size;) {
        const auto part = std::min({size - copied, static_cast<std::uint64_t>(RoomLeftOnVolume()), CopyPartSize});
        output_->CopyFrom(data, static_cast<std::int64_t>(part));
        copied += part;
        ReportCopyProgress(part, copied, size);
        if (RoomLeftOnVolume() <= 0)
            NextVolume();
    }
}

// The copy is the second half of the entry's progress: reading it into the
// temporary file was the first.
void TZipWriter::ReportCopyProgress(std::uint64_t part, std::uint64_t copied, std::uint64_t size)
{
    const auto plain = static_cast<std::int64_t>(newEntry_->UncompressedSize);
    if (OnFilePercentDone)
        OnFilePercentDone(*this, static_cast<int>(CalcPercent64(plain + static_cast<std::int64_t>(size),
                                                                plain + static_cast<std::int64_t>(copied))));
    doneBytes_ += static_cast<std::int64_t>(part);
    if (OnTotalPercentDone)
        OnTotalPercentDone(*this, static_cast<int>(CalcPercent64(totalBytes_, doneBytes_)));
}
