// Reads the directory of arbitrary bytes, as a damaged archive (so the
// recovery scan runs whenever the central directory fails). Whatever the
// input, the read must end in a directory or in one of the engine's
// exceptions; and a directory read must hold only entries the engine can
// describe (damaged ones included: extraction skips them), each reachable
// through every sorted view. Each entry is then extracted into memory: a
// damaged one gives nothing, any other either its stored size of bytes or
// nothing at all (a failed entry leaves the stream as it was).
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "Exceptions.h"
#include "Stream.h"
#include "ZipReader.h"
#include "ZipUI.h"

namespace {

// Reaches the extraction of one entry from the caller's archive stream.
class TFuzzReader : public TZipReader {
public:
    using TZipReader::UnZipEntryToStream;
};

// Answers every box silently.
class TQuietUI : public TZipUI {
public:
    TMsgResult MessageBox(const std::string&, const std::string&, TMsgButtons) override { return TMsgResult::Ok; }
};

void CheckViews(TZipReader& reader)
{
    const int count = reader.GetCount();
    for (const TZipSortMode mode :
         {ByName, ByFileName, ByDirectoryName, ByDate, ByCompressedSize, ByUnCompressedSize, ByRate, ByNone}) {
        reader.Sort(mode);
        for (int i = 0; i < count; ++i) {
            const TZipHeaderInfo& entry = reader.GetEntry(i);
            // The in-memory name may be longer (see records/EntryNames.h).
            if (entry.IsZip64() || entry.FilenameLength() > 0xFFFF)
                std::abort();
        }
    }
}

void CheckEntryData(TFuzzReader& reader, TMemoryStream& archive)
{
    reader.Sort(ByNone);
    for (int i = 0; i < reader.GetCount(); ++i) {
        const TZipHeaderInfo& entry = reader.GetEntry(i);
        // Bounded, so a small input cannot ask for gigabytes.
        if (entry.UncompressedSize > (std::uint64_t{1} << 24) || entry.IsFolder())
            continue;
        const bool damaged = entry.Damaged();
        const std::uint64_t size = entry.UncompressedSize;
        TMemoryStream data;
        int extracted = 0;
        try {
            extracted = reader.UnZipEntryToStream(archive, data, i);
        } catch (const Exception&) {
            extracted = 0;
        }
        if ((damaged && extracted != 0) || (extracted == 0 && data.Size() != 0) ||
            (extracted == 1 && static_cast<std::uint64_t>(data.Size()) != size))
            std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static TQuietUI ui;
    static TZipUIScope scope(ui);
    TFuzzReader reader;
    reader.IncompleteZipMode = izAssumeBad;
    reader.DoProcessMessages = false;
    TMemoryStream stream(std::vector<std::uint8_t>(data, data + size));
    try {
        reader.ReadCentralDirectory(stream);
    } catch (const Exception&) {
        return 0;
    }
    CheckViews(reader);
    CheckEntryData(reader, stream);
    return 0;
}
