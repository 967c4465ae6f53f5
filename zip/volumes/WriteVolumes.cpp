// Writing an archive onto volumes: numbered block files in one folder
// (mmBlocks) or one file of the same name on each of several removable
// disks (mmSpan).
//
// A volume has a room, its byte budget: FirstBlockSize and then BlockSize for
// blocks; for a span the free space of the disk, less SaveOnFirstDisk and,
// when the ".zfc" side file is to follow, its largest possible size on the
// first disk. Records never straddle volumes: a local header moves to the
// next volume unless some room is left behind it, a central header or the
// end record unless it fits. Only entry data is cut (CopyToVolumes.cpp). A
// record too large even for a fresh volume, or a volume without room, raises
// ENotEnoughRoom rather than overfilling the volume.
//
// Each volume made is remembered, so a failed build removes what it created
// and nothing else; a span disk offered again for the next volume is refused
// rather than overwritten.
#include "ZipWriter.h"

#include <unistd.h>

#include "ZipExceptions.h"
#include "ZipMessages.h"
#include "files/ZipLib.h"
#include "volumes/Drives.h"
#include "volumes/VolumeNames.h"

namespace {

[[noreturn]] void RaiseNotEnoughRoom() { throw ENotEnoughRoom(LoadStr(IDS_NOTENOUGHROOM)); }

} // namespace

std::int64_t TZipWriter::FreeSpaceOnArchiveDrive() const { return Drives().FreeSpace(GetZipName()); }

std::int64_t TZipWriter::RoomLeftOnVolume() { return volumeRoom_ - output_->Position(); }

std::string TZipWriter::FirstVolumeName() const
{
    return multiZipInfo_.MultiMode == mmBlocks ? BlockFileName(GetZipName(), 1) : GetZipName();
}

void TZipWriter::StartVolumes()
{
    volumeRoom_ = multiZipInfo_.MultiMode == mmBlocks
                      ? multiZipInfo_.FirstBlockSize
                      : FreeSpaceOnArchiveDrive() - multiZipInfo_.SaveOnFirstDisk - ZipConfigReserve();
    if (volumeRoom_ <= 0)
        RaiseNotEnoughRoom();
    // The copy onto the volumes reports progress a second time.
    totalBytes_ *= 2;
}

std::int64_t TZipWriter::ZipConfigReserve() const
{
    if (!multiZipInfo_.SaveZipInfoOnFirstDisk)
        return 0;
    // A central header per name, no longer than the name as listed, and the
    // end record with the comment.
    std::int64_t reserve = static_cast<std::int64_t>(EndRecordSize + endRecord_.ZipCommentLength());
    for (const std::string& name : FilesList())
        reserve += static_cast<std::int64_t>(CentralHeaderSize + name.size());
    return reserve;
}

void TZipWriter::CreateVolume(const std::string& name)
{
    output_ = std::make_unique<TArchiveOutput>(name, StreamBufferSize, FlushFilesOnClose);
    outputFileName_ = name;
    createdVolumes_.Add(name);
}

bool TZipWriter::MakeRoomFor(std::uint64_t size, bool roomBehind)
{
    const auto fits = [&] {
        const std::int64_t left = RoomLeftOnVolume();
        const auto need = static_cast<std::int64_t>(size);
        return roomBehind ? need < left : need <= left;
    };
    if (fits())
        return false;
    NextVolume();
    if (!fits())
        RaiseNotEnoughRoom();
    return true;
}

void TZipWriter::NextVolume()
{
    // Disk numbers are 16 bits and 0xFFFF marks a zip64 record: a set holds
    // no more volumes than its records can number.
    if (currentDisk_ >= MaxDiskNumber)
        RaiseNotEnoughRoom();
    output_->Close();
    output_.reset();
    std::string name;
    if (multiZipInfo_.MultiMode == mmSpan) {
        WriteDiskLabel();
        name = AskForNextDisk();
        ++currentDisk_;
        // Whatever another set left on the fresh disk makes room.
        ::unlink(name.c_str());
        if (OnPrepareNextDisk)
            OnPrepareNextDisk(*this, currentDisk_ + 1);
        volumeRoom_ = FreeSpaceOnArchiveDrive();
    } else {
        if (OnGetNextDisk) {
            std::string asked = outputFileName_;
            OnGetNextDisk(*this, currentDisk_ + 2, asked);
            if (asked.empty())
                throw EUserCanceled(LoadStr(IDS_CANCELZIPOPERATION));
        }
        ++currentDisk_;
        name = BlockFileName(GetZipName(), currentDisk_ + 1);
        volumeRoom_ = multiZipInfo_.BlockSize;
    }
    if (volumeRoom_ <= 0)
        RaiseNotEnoughRoom();
    CreateVolume(name);
    newEndRecord_.EntriesThisDisk = 0;
}

std::string TZipWriter::AskForNextDisk()
{
    if (!OnGetNextDisk)
        throw EUserCanceled(LoadStr(IDS_CANCELZIPOPERATION));
    std::string name = outputFileName_;
    for (;;) {
        OnGetNextDisk(*this, currentDisk_ + 2, name);
        if (name.empty())
            throw EUserCanceled(LoadStr(IDS_CANCELZIPOPERATION));
        // A disk that already holds a volume of this set is still in the
        // drive: ask for the next one again instead of overwriting it.
        if (!createdVolumes_.Holds(name))
            return name;
    }
}

void TZipWriter::WriteDiskLabel()
{
    if (multiZipInfo_.MultiMode != mmSpan || !multiZipInfo_.WriteDiskLabels)
        return;
    const std::string root = Drives().VolumeRootOf(outputFileName_);
    // Where the system cannot label disks the set simply carries no labels,
    // and reading it back checks none.
    if (Drives().IsRemovable(root))
        Drives().SetVolumeLabel(root, DiskLabelText(currentDisk_ + 1));
}

void TZipWriter::FinishVolumes()
{
    if (multiZipInfo_.MultiMode == mmSpan) {
        // The set is complete: no later failure may remove its volumes.
        createdVolumes_.Clear();
        WriteDiskLabel();
        return;
    }
    // One block is the archive itself; of several, the last one, which
    // holds the directory, names the set.
    if (currentDisk_ == 0) {
        if (!RenameReplacing(outputFileName_, GetZipName()))
            MoveFileOrCopy(outputFileName_, GetZipName());
    } else {
        // The set replaces an archive of its name, which a reader given that
        // name would otherwise still find.
        if (!createdVolumes_.Holds(GetZipName()))
            ::unlink(GetZipName().c_str());
        zipName_ = outputFileName_;
    }
    // In place, the set may no longer be removed by a later failure; a
    // block that could not be moved into place still goes.
    createdVolumes_.Clear();
}

void TZipWriter::AbandonVolumes()
{
    deflater_.FreeDeflateBuffers();
    output_.reset();
    volumeTemp_.reset();
    if (!volumeTempName_.empty())
        ::unlink(volumeTempName_.c_str());
    volumeTempName_.clear();
    createdVolumes_.RemoveAll();
    outputFileName_.clear();
}
