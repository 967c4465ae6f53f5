#include "BundleArchive.h"

#include <cstdio>
#include <set>
#include <stdexcept>

#include "AppendedArchive.h"
#include "crc/Crc32.h"

namespace {

std::runtime_error EntryError(const std::string& name, const std::string& problem)
{
    return std::runtime_error("entry \"" + name + "\" " + problem);
}

// A path that stays below the folder: relative, every part a real name.
bool IsPlainRelativePath(const std::string& name)
{
    if (name.empty() || name.front() == '/' || name.back() == '/' || name.find('\0') != std::string::npos ||
        name.find('\\') != std::string::npos)
        return false;
    for (const auto& part : std::filesystem::path(name))
        if (part.empty() || part == "." || part == "..")
            return false;
    return true;
}

TBundleFile BundleFileOf(const TZipHeaderInfo& entry, int index)
{
    const std::string name = entry.FullName();
    if (!IsPlainRelativePath(name))
        throw EntryError(name, "has no usable file name");
    if (entry.Encrypted())
        throw EntryError(name, "is encrypted");
    if (!TZipReader::SupportsMethod(entry.CompressionMethod))
        throw EntryError(name, "uses compression method " + std::to_string(entry.CompressionMethod) +
                                   ", which this program cannot unpack");
    return {index, name, entry.UncompressedSize, entry.CRC32};
}

std::string KeyOf(const std::vector<TBundleFile>& files)
{
    std::uint32_t crc = CRC32Start;
    for (const TBundleFile& file : files) {
        const std::string line =
            file.Path.string() + '\0' + std::to_string(file.Size) + '\0' + std::to_string(file.CRC32) + '\n';
        crc = UpdateCRC(crc, line.data(), static_cast<std::int64_t>(line.size()));
    }
    char key[9];
    std::snprintf(key, sizeof key, "%08x", ~crc);
    return key;
}

} // namespace

TBundleArchive::TBundleArchive(const std::string& programFile)
{
    try {
        ReadAppendedArchive(reader_, programFile);
    } catch (const std::exception& e) {
        throw std::runtime_error(std::string("no viewer archive found in this program: ") + e.what());
    }
    std::set<std::filesystem::path> taken;
    for (int i = 0; i < reader_.GetCount(); ++i) {
        files_.push_back(BundleFileOf(reader_.GetEntry(i), i));
        if (!taken.insert(files_.back().Path).second)
            throw EntryError(files_.back().Path.string(), "comes twice");
    }
    key_ = KeyOf(files_);
}

void TBundleArchive::Extract(const TBundleFile& file, TStream& output)
{
    if (reader_.UnZipToStreamByIndex(&output, file.Index) != 1)
        throw EntryError(file.Path.string(), "is damaged: its data are broken or fail their CRC check");
}
