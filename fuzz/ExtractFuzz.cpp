// Extracts every entry of arbitrary bytes, read as an archive, into memory
// streams. Whatever the input, each entry must end extracted, refused or in
// one of the engine's exceptions; a refused entry writes nothing, an
// extracted one holds no more than its size and carries its CRC-32.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "Exceptions.h"
#include "Stream.h"
#include "ZipReader.h"
#include "ZipUI.h"
#include "crc/Crc32.h"

namespace {

// Reaches the extraction of a stream held in memory.
class TMemoryZipReader : public TZipReader {
public:
    using TZipReader::UnZipEntryToStream;
};

// Answers every box silently.
class TQuietUI : public TZipUI {
public:
    TMsgResult MessageBox(const std::string&, const std::string&, TMsgButtons) override { return TMsgResult::Ok; }
};

void CheckEntry(TMemoryZipReader& reader, TStream& archive, int index)
{
    const TZipHeaderInfo& entry = reader.GetEntry(index);
    TMemoryStream output;
    int extracted = 0;
    try {
        extracted = reader.UnZipEntryToStream(archive, output, index);
    } catch (const Exception&) {
    }
    const std::vector<std::uint8_t>& bytes = output.Bytes();
    if (extracted == 0 && !bytes.empty())
        std::abort();
    if (extracted == 1 && (bytes.size() > entry.UncompressedSize ||
                           (UpdateCRC(CRC32Start, bytes.data(), static_cast<std::int64_t>(bytes.size())) ^
                            0xFFFFFFFF) != entry.CRC32))
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static TQuietUI ui;
    static TZipUIScope scope(ui);
    TMemoryZipReader reader;
    reader.IncompleteZipMode = izAssumeBad;
    reader.DoProcessMessages = false;
    reader.Password = "secret";
    TMemoryStream archive(std::vector<std::uint8_t>(data, data + size));
    try {
        reader.ReadCentralDirectory(archive);
    } catch (const Exception&) {
        return 0;
    }
    for (int i = 0; i < reader.GetCount(); ++i)
        CheckEntry(reader, archive, i);
    return 0;
}
