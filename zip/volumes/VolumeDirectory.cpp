// The central directory and the end record of a volume set. A central header
// that does not fit in the room left goes to the next volume (when the first
// one does, the directory starts there); the directory's size is summed over
// its volumes. The end record counts the central headers on its own volume
// and names that volume as the last.
#include "ZipWriter.h"

void TZipWriter::WriteVolumeDirectory()
{
    newEndRecord_.CentralDirDisk = static_cast<std::uint16_t>(currentDisk_);
    newEndRecord_.CentralOffset = static_cast<std::uint64_t>(output_->Position());
    newEndRecord_.EntriesThisDisk = 0;
    std::uint64_t size = 0;
    for (int i = 0; i < newEntries_->Count(); ++i) {
        TZipHeaderInfo& entry = *newEntries_->Entry(i);
        if (MakeRoomFor(entry.CentralSize(), false) && i == 0) {
            newEndRecord_.CentralDirDisk = static_cast<std::uint16_t>(currentDisk_);
            newEndRecord_.CentralOffset = 0;
        }
        entry.CentralHeaderOffset = static_cast<std::uint64_t>(output_->Position());
        entry.SaveCentralToStream(*output_);
        size += entry.CentralSize();
        ++newEndRecord_.EntriesThisDisk;
    }
    newEndRecord_.CentralSize = size;
    newEndRecord_.TotalEntries = static_cast<std::uint16_t>(newEntries_->Count());
    MakeRoomFor(newEndRecord_.EndCentralSize(), false);
    newEndRecord_.ThisDisk = static_cast<std::uint16_t>(currentDisk_);
    newEndRecord_.SaveToStream(*output_);
}
