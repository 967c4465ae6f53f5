#include "volumes/VolumeStream.h"

#include "ZipReader.h"

std::int64_t TVolumeStream::Read(void* buffer, std::int64_t count)
{
    auto* bytes = static_cast<std::uint8_t*>(buffer);
    std::int64_t got = Current().Read(bytes, count);
    while (got < count && MoreVolumes()) {
        NextVolume();
        got += Current().Read(bytes + got, count - got);
    }
    return got;
}

std::int64_t TVolumeStream::Write(const void*, std::int64_t) { return 0; }

std::int64_t TVolumeStream::Seek(std::int64_t offset, int origin)
{
    // Only a forward step in a set may run on into the next volume.
    if (origin != soFromCurrent || offset <= 0 || !MoreVolumes())
        return Current().Seek(offset, origin);
    std::int64_t target = Current().Position() + offset;
    while (target > Current().Size() && MoreVolumes()) {
        target -= Current().Size();
        NextVolume();
    }
    return Current().Seek(target, soFromBeginning);
}

TStream& TVolumeStream::Current()
{
    if (reader_.EndRecord().ThisDisk == 0 || !reader_.archiveStream_)
        return single_;
    return *reader_.archiveStream_;
}

bool TVolumeStream::MoreVolumes() const
{
    return reader_.EndRecord().ThisDisk > 0 && reader_.CurrentDisk() < reader_.EndRecord().ThisDisk;
}

void TVolumeStream::NextVolume() { reader_.SwapDisk(reader_.CurrentDisk() + 2); }
