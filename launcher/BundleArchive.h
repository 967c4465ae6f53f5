// The archive a viewer bundle carries behind its launcher, read from the
// program file itself: the files to unpack, each under a relative path
// checked to stay inside the folder it is unpacked into, with the size and
// CRC-32 the archive records for it, and the key that names the content.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "Stream.h"
#include "ZipReader.h"

struct TBundleFile {
    int Index;                  // the entry's index in the archive
    std::filesystem::path Path; // relative, without "." or ".." parts
    std::uint64_t Size;
    std::uint32_t CRC32;
};

class TBundleArchive {
public:
    // Reads the directory; raises std::runtime_error when the program
    // carries no archive or an entry that cannot be unpacked as a plain file.
    explicit TBundleArchive(const std::string& programFile);

    const std::vector<TBundleFile>& Files() const { return files_; }
    // The same files give the same key, in any build. The key only picks the
    // cache folder; trust comes from checking that folder's content.
    const std::string& Key() const { return key_; }

    // Writes file's bytes, CRC-checked, to output; raises on any failure.
    void Extract(const TBundleFile& file, TStream& output);

private:
    TZipReader reader_;
    std::vector<TBundleFile> files_;
    std::string key_;
};
