// The listing that `zipdriver list` prints, made from a loaded reader and,
// as the oracle, from Python's zipfile for the same archive.
//
// One line per entry, tab-separated: name, method, compressed size,
// uncompressed size, CRC-32 (8 lowercase hex digits), 1 if encrypted else 0.
// The name is the engine's in-memory form: UTF-8 names and DOS-made names as
// Python decodes them, other hosts' bytes unchanged; "\" becomes "/" except
// in names made on Unix.
#pragma once

#include <cstdio>
#include <string>

#include "PeerArchives.h"
#include "RunCommand.h"
#include "TempDir.h"
#include "ZipReader.h"

inline std::string ListingOf(const TZipReader& reader)
{
    std::string listing;
    for (int i = 0; i < reader.GetCount(); ++i) {
        const TZipHeaderInfo& entry = reader.GetEntry(i);
        char crc[9];
        std::snprintf(crc, sizeof crc, "%08x", entry.CRC32);
        listing += entry.FullName() + "\t" + std::to_string(entry.CompressionMethod) + "\t" +
                   std::to_string(entry.CompressedSize) + "\t" + std::to_string(entry.UncompressedSize) + "\t" +
                   crc + "\t" + (entry.Encrypted() ? "1" : "0") + "\n";
    }
    return listing;
}

inline std::string PythonListing(const TempDir& dir, const std::string& archive)
{
    return RunChecked(PythonCommand(dir, "listing.py", R"(import sys, zipfile
out = sys.stdout.buffer
with zipfile.ZipFile(sys.argv[1]) as z:
    for i in z.infolist():
        utf8 = i.flag_bits & 0x800
        raw = i.orig_filename.encode("utf-8" if utf8 else "cp437")
        name = i.orig_filename.encode("utf-8") if utf8 or i.create_system == 0 else raw
        if i.create_system != 3:
            name = name.replace(b"\\", b"/")
        out.write(b"%s\t%d\t%d\t%d\t%08x\t%d\n" % (name, i.compress_type, i.compress_size, i.file_size,
                                                   i.CRC, i.flag_bits & 1))
)",
                                    {archive}));
}
