// Loading the volumes of a spanned or block archive while it is read.
//
// Only one volume is open at a time: SwapDisk closes it, asks OnGetNextDisk
// for the name of the wanted one and opens that. The default handler names
// the block file from the archive's base name and the volume number, or, on
// a span, asks the user to insert the disk. A disk labelled as a disk of a
// set must carry the wanted volume's number; a disk without such a label
// passes, as sets written where labels cannot be written carry none.
#include "ZipReader.h"

#include "ZipExceptions.h"
#include "ZipMessages.h"
#include "ZipUI.h"
#include "files/ZipLib.h"
#include "volumes/Drives.h"
#include "volumes/VolumeNames.h"

namespace {

const char* const LoadDiskCanceled = "User canceled loading new disk.";

} // namespace

TStream& TZipReader::LoadDisk(int volume) { return SwapDisk(volume); }

TStream& TZipReader::SwapDisk(int volume)
{
    archiveStream_.reset();
    if (!OnGetNextDisk)
        throw EUserCanceled(LoadDiskCanceled);
    std::string name = zipName_;
    std::string refused;
    for (;;) {
        OnGetNextDisk(*this, volume, name);
        if (name.empty())
            throw EUserCanceled(LoadDiskCanceled);
        if (LFNFileExists(name) && CheckDiskLabel(volume, name))
            break;
        // Only a disk prompt can bring another answer: a handler that names
        // the same missing block again would be asked for ever.
        if (GetMultiMode() != mmSpan && name == refused)
            throw EUserCanceled(LoadDiskCanceled);
        refused = name;
    }
    archiveStream_ = std::make_unique<TLFNFileStream>(name, fmOpenRead | fmShareDenyWrite, false, StreamBufferSize);
    currentDisk_ = volume - 1;
    directoryStamp_ = FileStampOf(GetFileStreamHandle(*archiveStream_));
    // Set directly: the loaded directory stays.
    zipName_ = name;
    return *archiveStream_;
}

bool TZipReader::CheckDiskLabel(int volume, const std::string& name) const
{
    if (GetMultiMode() != mmSpan || !GetCheckDiskLabels())
        return true;
    // The disk just offered, not the one read before.
    const std::string label = Drives().VolumeLabel(Drives().VolumeRootOf(name)).substr(0, 11);
    if (!IsSetDiskLabel(label))
        return true;
    // Labels hold three digits: volume 1000 carries "000".
    const std::string number = VolumeNumberText(volume);
    return label.ends_with(number.substr(number.size() - 3));
}

void TZipReader::DefaultGetNextDisk(TZipReader& Sender, int NextDisk, std::string& FName)
{
    if (Sender.GetMultiMode() != mmSpan) {
        FName = BlockFileName(FName, NextDisk);
        return;
    }
    const std::string text = LoadStr(IDS_INSERTDISK) + std::to_string(NextDisk) + LoadStr(IDS_OFMULTISET);
    if (ZipUI().MessageBox(text, "", TMsgButtons::OkCancel) != TMsgResult::Ok)
        FName.clear();
}

void TZipReader::LoadVolumeOf(const TZipHeaderInfo& entry)
{
    if (endRecord_.ThisDisk > 0 && entry.DiskNumberStart != currentDisk_)
        SwapDisk(entry.DiskNumberStart + 1);
}

// What lies beside the volume opened tells the kind of set, not the kind of
// drive: a block set may be kept on a USB stick, and the disks of a span may
// have been copied to a fixed one. A block bears the block name of its own
// volume number, and an earlier block of the set (the first, or the one
// just before) lies beside it; every disk of a span holds the archive under
// one name.
TMultiMode TZipReader::VolumeSetMode() const
{
    const int volume = currentDisk_ + 1;
    if (zipName_ != BlockFileName(zipName_, volume))
        return mmSpan;
    const bool earlierBlock = volume == 1 || LFNFileExists(BlockFileName(zipName_, 1)) ||
                              LFNFileExists(BlockFileName(zipName_, volume - 1));
    return earlierBlock ? mmBlocks : mmSpan;
}
