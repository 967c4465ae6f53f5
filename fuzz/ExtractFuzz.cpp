// Extracts every entry of arbitrary bytes, read as an archive, into memory
// streams, and then the archive as a file into a temporary folder, which
// the helpers that decode ahead of a run take part in. Whatever the input,
// each entry must end extracted, refused or in one of the engine's
// exceptions; a refused entry writes nothing into its stream, an extracted
// one holds no more than its size and carries its CRC-32, in its stream and
// in its file.
#include <stdlib.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
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

bool HoldsEntry(const std::string& file, const TZipHeaderInfo& entry)
{
    std::ifstream in(file, std::ios::binary);
    const std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    return bytes.size() <= entry.UncompressedSize &&
           (UpdateCRC(CRC32Start, bytes.data(), static_cast<std::int64_t>(bytes.size())) ^ 0xFFFFFFFF) == entry.CRC32;
}

// The archive as a file, extracted whole into a folder of its own, which
// goes afterwards. A file holds the entry that was last extracted to it.
void CheckFiles(const std::uint8_t* data, std::size_t size)
{
    char folderName[] = "/tmp/ExtractFuzz-XXXXXX";
    if (!::mkdtemp(folderName))
        std::abort();
    const std::filesystem::path folder = folderName;
    const std::string archive = (folder / "in.zip").string();
    std::ofstream(archive, std::ios::binary).write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    TZipReader reader;
    reader.IncompleteZipMode = izAssumeBad;
    reader.DoProcessMessages = false;
    reader.Password = "secret";
    reader.DoAll = true;
    reader.RecreateDirs = true;
    reader.OverwriteMode = Always;
    std::map<std::string, int> extracted;
    reader.OnEndUnZip = [&](TZipReader&, int index, const std::string& name) { extracted[name] = index; };
    reader.SetZipName(archive);
    reader.SetDestDir((folder / "out").string());
    try {
        reader.UnZipToDestDir();
    } catch (const Exception&) {
    }
    for (const auto& [name, index] : extracted)
        if (!reader.GetEntry(index).IsFolder() && !HoldsEntry(name, reader.GetEntry(index)))
            std::abort();
    std::filesystem::remove_all(folder);
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
    CheckFiles(data, size);
    return 0;
}
