#include "Graphics.h"

#include "LittleEndian.h"
#include "StreamBytes.h"

namespace {

// An enhanced metafile opens with its header record: type 1, and the
// signature " EMF" at offset 40.
bool IsEnhancedMetafile(const std::vector<std::uint8_t>& b)
{
    return b.size() >= 44 && GetU32(b.data()) == 1 && GetU32(b.data() + 40) == 0x464D4520;
}

// A plain metafile opens with the placeable header's key, or directly with
// the metafile header: type 1 (memory) or 2 (disk), header size 9 words.
bool IsPlainMetafile(const std::vector<std::uint8_t>& b)
{
    if (b.size() >= 4 && GetU32(b.data()) == 0x9AC6CDD7)
        return true;
    return b.size() >= 18 && (GetU16(b.data()) == 1 || GetU16(b.data()) == 2) && GetU16(b.data() + 2) == 9;
}

}  // namespace

void TMetafile::LoadFromStream(TStream& stream)
{
    const auto bytes = ReadToEnd(stream);
    if (IsEnhancedMetafile(bytes) || IsPlainMetafile(bytes))
        throw EInvalidGraphic("Unsupported picture format: metafiles (.emf, .wmf) cannot be shown");
    throw EInvalidGraphic("Invalid or damaged metafile");
}

void TMetafile::SaveToStream(TStream&) {}

void TMetafile::Assign(const TGraphic& source)
{
    if (!dynamic_cast<const TMetafile*>(&source))
        AssignError(source);
}

std::unique_ptr<TGraphic> TMetafile::Clone() const { return std::make_unique<TMetafile>(); }
