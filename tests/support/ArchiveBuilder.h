// Builds small zip archives byte for byte with the engine's own record
// writers, for tests that need a field no peer tool writes (an impossible
// date, a damaged encrypted entry, unsigned data descriptors).
#pragma once

#include <zlib.h>

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "LittleEndian.h"
#include "Stream.h"
#include "records/EntryNames.h"
#include "records/ZipRecords.h"

struct TTestEntry {
    TTestEntry(std::string name, std::string data, std::string comment = "", std::uint16_t flags = 0,
               std::uint32_t modDateTime = 0x5A210000)
        : Name(std::move(name)), Data(std::move(data)), Comment(std::move(comment)), Flags(flags),
          ModDateTime(modDateTime)
    {
    }

    std::string Name;
    std::string Data;
    std::string Comment;
    std::uint16_t Flags;
    std::uint32_t ModDateTime; // 1 January 2025 by default
};

inline std::uint32_t TestCrc(const std::string& data)
{
    return static_cast<std::uint32_t>(
        crc32(0, reinterpret_cast<const Bytef*>(data.data()), static_cast<uInt>(data.size())));
}

// Stored entries, their central directory and the end record.
inline std::string BuildStoredArchive(const std::vector<TTestEntry>& entries, const std::string& archiveComment = "")
{
    TMemoryStream stream;
    std::vector<std::unique_ptr<TZipHeaderInfo>> headers;
    for (const TTestEntry& e : entries) {
        auto header = std::make_unique<TZipHeaderInfo>();
        const TNameParts parts = SplitEntryName(e.Name);
        header->SetDirectory(parts.directory);
        header->SetFilename(parts.filename);
        header->CompressionMethod = 0;
        header->Flags = e.Flags;
        header->ModDateTime = e.ModDateTime;
        header->CRC32 = TestCrc(e.Data);
        header->CompressedSize = header->UncompressedSize = e.Data.size();
        header->SetFileComment(e.Comment);
        header->SaveLocalToStream(stream);
        stream.WriteBuffer(e.Data.data(), static_cast<std::int64_t>(e.Data.size()));
        headers.push_back(std::move(header));
    }
    TEndCentral end;
    end.CentralOffset = static_cast<std::uint64_t>(stream.Position());
    for (auto& header : headers)
        header->SaveCentralToStream(stream);
    end.CentralSize = static_cast<std::uint64_t>(stream.Position()) - end.CentralOffset;
    end.TotalEntries = end.EntriesThisDisk = static_cast<std::uint16_t>(headers.size());
    end.SetComment(archiveComment);
    end.SaveToStream(stream);
    return stream.Text();
}

// Entries written as a streaming writer does: flag bit 3, zero sizes and CRC
// in the local header, a data descriptor after the data (with or without its
// signature), and no central directory.
inline std::string BuildStreamedEntries(const std::vector<TTestEntry>& entries, bool signedDescriptors)
{
    std::string bytes;
    for (const TTestEntry& e : entries) {
        AppendU32(bytes, 0x04034B50);
        AppendU16(bytes, 20);       // version needed
        AppendU16(bytes, 0x0008);   // flags: data descriptor
        AppendU16(bytes, 0);        // stored
        AppendU32(bytes, e.ModDateTime);
        AppendU32(bytes, 0);        // CRC-32
        AppendU32(bytes, 0);        // compressed size
        AppendU32(bytes, 0);        // uncompressed size
        AppendU16(bytes, static_cast<std::uint16_t>(e.Name.size()));
        AppendU16(bytes, 0);        // extra length
        bytes += e.Name + e.Data;
        if (signedDescriptors)
            AppendU32(bytes, 0x08074B50);
        AppendU32(bytes, TestCrc(e.Data));
        AppendU32(bytes, static_cast<std::uint32_t>(e.Data.size()));
        AppendU32(bytes, static_cast<std::uint32_t>(e.Data.size()));
    }
    return bytes;
}
