// The archive as the directory reader and extraction read it. For a
// single-file archive it is the stream given; for a volume set it is the
// reader's open volume, and a read or a forward skip that runs past the end
// of that volume goes on at the start of the next one (TZipReader::SwapDisk),
// so headers and data may straddle volumes. Positions are those of the open
// volume. Read only.
#pragma once

#include "Stream.h"

class TZipReader;

class TVolumeStream : public TStream {
public:
    TVolumeStream(TZipReader& reader, TStream& single) : reader_(reader), single_(single) {}

    std::int64_t Read(void* buffer, std::int64_t count) override;
    // Nothing is written through this view.
    std::int64_t Write(const void* buffer, std::int64_t count) override;
    std::int64_t Seek(std::int64_t offset, int origin) override;

private:
    TStream& Current();
    // Whether a later volume of the set may hold what follows.
    bool MoreVolumes() const;
    void NextVolume();

    TZipReader& reader_;
    TStream& single_;
};
