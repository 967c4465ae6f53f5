#include "directory/LocalHeaderScan.h"

#include <algorithm>
#include <array>
#include <limits>

#include "LittleEndian.h"
#include "records/ZipSignatures.h"

namespace {

// A data descriptor (PKWARE application note 4.3.9) with and without its
// optional signature, which most tools that stream their output write.
constexpr std::int64_t SignedDescriptorSize = 16;
constexpr std::int64_t UnsignedDescriptorSize = 12;

// The last bytes a forward scan has read, oldest first, for matching records
// that end at the byte just read.
class TTrailingBytes {
public:
    static constexpr std::size_t Capacity = 16;

    void Push(std::uint8_t byte)
    {
        std::copy(bytes_.begin() + 1, bytes_.end(), bytes_.begin());
        bytes_.back() = byte;
        count_ = std::min(count_ + 1, Capacity);
    }
    std::size_t Count() const { return count_; }
    // The byte / little-endian value that starts back bytes before the end.
    std::uint8_t Byte(std::size_t back) const { return bytes_[Capacity - back]; }
    std::uint32_t U32(std::size_t back) const { return GetU32(bytes_.data() + Capacity - back); }

private:
    std::array<std::uint8_t, Capacity> bytes_{};
    std::size_t count_ = 0;
};

// Reads the stream forward one byte at a time, reporting progress.
class TForwardReader {
public:
    TForwardReader(TStream& stream, const TScanProgress& progress)
        : stream_(stream), progress_(progress), position_(stream.Position())
    {
    }

    bool Next(std::uint8_t& byte)
    {
        if (stream_.Read(&byte, 1) != 1)
            return false;
        if (++position_ % ProgressInterval == 0 && progress_)
            progress_();
        return true;
    }
    // The position of the byte after the last one read.
    std::int64_t Position() const { return position_; }

private:
    TStream& stream_;
    const TScanProgress& progress_;
    std::int64_t position_;
};

bool IsRecordSignature(std::uint32_t value)
{
    return value == LocalSignature() || value == CentralSignature() || value == EndSignature();
}

// An unsigned descriptor whose last byte lies just before end.
std::optional<TDataDescriptor> UnsignedDescriptorEndingAt(const TTrailingBytes& bytes, std::size_t back,
                                                          std::int64_t end, std::int64_t dataStart)
{
    const std::int64_t start = end - UnsignedDescriptorSize;
    if (start < dataStart || bytes.Count() < back || bytes.U32(back - 4) != start - dataStart)
        return std::nullopt;
    return TDataDescriptor{bytes.U32(back), bytes.U32(back - 4), bytes.U32(back - 8), end};
}

} // namespace

bool FindLocalHeader(TStream& stream, const TScanProgress& progress)
{
    // Signature (4 bytes) and version needed (2 bytes) in a row.
    constexpr std::size_t HeadLength = 6;
    TForwardReader reader(stream, progress);
    TTrailingBytes bytes;
    std::uint8_t byte = 0;
    while (reader.Next(byte)) {
        bytes.Push(byte);
        if (bytes.Count() >= HeadLength && bytes.U32(HeadLength) == LocalSignature() && bytes.Byte(1) < 10) {
            stream.Seek(reader.Position() - static_cast<std::int64_t>(HeadLength), soFromBeginning);
            return true;
        }
    }
    return false;
}

bool FindCentralHeader(TStream& stream, const TScanProgress& progress)
{
    TForwardReader reader(stream, progress);
    TTrailingBytes bytes;
    std::uint8_t byte = 0;
    while (reader.Next(byte)) {
        bytes.Push(byte);
        if (bytes.Count() >= 4 && bytes.U32(4) == CentralSignature()) {
            stream.Seek(reader.Position() - 4, soFromBeginning);
            return true;
        }
    }
    return false;
}

std::optional<TDataDescriptor> FindDataDescriptor(TStream& stream, std::int64_t dataStart, std::int64_t limit,
                                                  const TScanProgress& progress)
{
    stream.Seek(dataStart, soFromBeginning);
    TForwardReader reader(stream, progress);
    TTrailingBytes bytes;
    std::uint8_t byte = 0;
    // Backs counted from the end of the bytes read: a signed descriptor fills
    // all 16; an unsigned one lies in the 12 before a 4-byte signature.
    constexpr std::size_t Signed = SignedDescriptorSize;
    constexpr std::size_t UnsignedBeforeSignature = UnsignedDescriptorSize + 4;
    // A descriptor that ends at limit is told by the signature behind it.
    const std::int64_t readLimit = limit > std::numeric_limits<std::int64_t>::max() - 4 ? limit : limit + 4;
    while (reader.Position() < readLimit && reader.Next(byte)) {
        bytes.Push(byte);
        const std::int64_t end = reader.Position();
        if (end <= limit && bytes.Count() >= Signed && end - SignedDescriptorSize >= dataStart &&
            bytes.U32(Signed) == DataDescriptorSignature &&
            bytes.U32(Signed - 8) == end - SignedDescriptorSize - dataStart)
            return TDataDescriptor{bytes.U32(Signed - 4), bytes.U32(Signed - 8), bytes.U32(Signed - 12), end};
        if (bytes.Count() >= 4 && IsRecordSignature(bytes.U32(4))) {
            if (auto found = UnsignedDescriptorEndingAt(bytes, UnsignedBeforeSignature, end - 4, dataStart))
                return found;
        }
    }
    if (reader.Position() > limit)
        return std::nullopt;
    return UnsignedDescriptorEndingAt(bytes, UnsignedDescriptorSize, reader.Position(), dataStart);
}
