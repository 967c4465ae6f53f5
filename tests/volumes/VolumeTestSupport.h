// Writing volume sets from named byte strings and reading them back, for the
// volume tests.
#pragma once

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "Stream.h"
#include "ZipReader.h"
#include "ZipWriter.h"

struct TVolumeEntry {
    std::string Name;
    std::string Data;
};

// Writes entries (stored, pack level 0, unless told otherwise) as one build,
// encrypted when a password is given.
inline void WriteEntries(TZipWriter& writer, const std::vector<TVolumeEntry>& entries,
                         const std::string& password = "")
{
    std::vector<std::unique_ptr<TMemoryStream>> streams;
    std::vector<TStreamEntry> list;
    for (const TVolumeEntry& entry : entries) {
        streams.push_back(
            std::make_unique<TMemoryStream>(std::vector<std::uint8_t>(entry.Data.begin(), entry.Data.end())));
        list.push_back(TStreamEntry{streams.back().get(), entry.Name, password});
    }
    writer.AddStreamEntries(list);
}

// A writer of block sets with the given sizes.
inline void UseBlocks(TZipWriter& writer, std::int64_t firstBlockSize, std::int64_t blockSize)
{
    writer.DoProcessMessages = false;
    writer.PackLevel = 0;
    writer.SetMultiMode(mmBlocks);
    writer.MultiZipInfo().FirstBlockSize = firstBlockSize;
    writer.MultiZipInfo().BlockSize = blockSize;
}

// Every entry of the reader's archive, name and data, in directory order.
inline std::vector<TVolumeEntry> ReadEntries(TZipReader& reader)
{
    std::vector<TVolumeEntry> entries;
    reader.ReadZip();
    for (int i = 0; i < reader.GetCount(); ++i) {
        TMemoryStream data;
        if (reader.UnZipToStreamByIndex(&data, i) != 1)
            throw std::runtime_error("entry not extracted: " + reader.GetEntry(i).FullName());
        entries.push_back(TVolumeEntry{reader.GetEntry(i).FullName(), data.Text()});
    }
    return entries;
}

inline std::vector<TVolumeEntry> ReadEntries(const std::string& archive)
{
    TZipReader reader;
    reader.DoProcessMessages = false;
    reader.SetZipName(archive);
    return ReadEntries(reader);
}

inline bool operator==(const TVolumeEntry& a, const TVolumeEntry& b) { return a.Name == b.Name && a.Data == b.Data; }

// The names of the files in folder, sorted.
inline std::vector<std::string> FilesIn(const std::filesystem::path& folder)
{
    std::vector<std::string> names;
    for (const auto& file : std::filesystem::directory_iterator(folder))
        names.push_back(file.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}
