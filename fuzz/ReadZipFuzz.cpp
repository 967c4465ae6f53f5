// Reads the directory of arbitrary bytes, as a damaged archive (so the
// recovery scan runs whenever the central directory fails). Whatever the
// input, the read must end in a directory or in one of the engine's
// exceptions; and a directory read must hold only entries the engine can
// describe (damaged ones included: extraction skips them), each reachable
// through every sorted view.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "Exceptions.h"
#include "Stream.h"
#include "ZipReader.h"

namespace {

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

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    TZipReader reader;
    reader.IncompleteZipMode = izAssumeBad;
    reader.DoProcessMessages = false;
    TMemoryStream stream(std::vector<std::uint8_t>(data, data + size));
    try {
        reader.ReadCentralDirectory(stream);
    } catch (const Exception&) {
        return 0;
    }
    CheckViews(reader);
    return 0;
}
