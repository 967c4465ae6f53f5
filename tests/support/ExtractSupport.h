// What extraction tests share: a snapshot of a folder tree to compare
// extractions with, a reader set up to extract an archive file, and a log of
// the extraction events in the order they fire.
#pragma once

#include <sys/stat.h>
#include <zlib.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "ArchiveBuilder.h"
#include "LittleEndian.h"
#include "TempDir.h"
#include "ZipReader.h"
#include "ZipUI.h"

struct TTreeItem {
    bool Folder = false;
    std::string Bytes;
    long long ModTime = 0; // seconds; files only
    unsigned Mode = 0;     // permission bits; files only
    bool operator==(const TTreeItem&) const = default;
};

using TTree = std::map<std::string, TTreeItem>;

// Every file and folder below root by relative path (symbolic links are not
// followed and show as files holding nothing).
inline TTree ReadTree(const std::filesystem::path& root)
{
    TTree tree;
    if (!std::filesystem::exists(root))
        return tree;
    for (const auto& item : std::filesystem::recursive_directory_iterator(root)) {
        TTreeItem entry;
        entry.Folder = item.is_directory();
        if (!entry.Folder) {
            struct stat info {};
            ::lstat(item.path().c_str(), &info);
            entry.Bytes = ReadFileBytes(item.path().string());
            entry.ModTime = info.st_mtime;
            entry.Mode = info.st_mode & 07777;
        }
        tree[std::filesystem::relative(item.path(), root).string()] = entry;
    }
    return tree;
}

inline std::string TreeNames(const TTree& tree)
{
    std::string names;
    for (const auto& [name, item] : tree)
        names += name + (item.Folder ? "/ " : " ");
    return names;
}

// A reader on archive that extracts every entry into destDir with folders.
inline void SetUpExtraction(TZipReader& reader, const std::string& archive, const std::string& destDir)
{
    reader.DoProcessMessages = false;
    reader.SetZipName(archive);
    reader.SetDestDir(destDir);
    reader.RecreateDirs = true;
    reader.DoAll = true;
    reader.OverwriteMode = Always;
}

// Records each extraction event as a short line, and the reason the last
// failing entry gave.
class TEventLog {
public:
    explicit TEventLog(TZipReader& reader)
    {
        reader.OnStartUnZipInfo = [this](TZipReader&, int files, std::int64_t bytes, bool&) {
            Add("info " + std::to_string(files) + " " + std::to_string(bytes));
        };
        reader.OnStartUnZip = [this](TZipReader&, int index, std::string&, bool&) {
            Add("start " + std::to_string(index));
        };
        reader.OnEndUnZip = [this](TZipReader&, int index, const std::string&) { Add("end " + std::to_string(index)); };
        reader.OnSkippingFile = [this](TZipReader& sender, TSkipReason reason, const std::string& name, int index,
                                       bool&) {
            Failure = sender.EntryFailure();
            Add("skip " + std::to_string(index) + " reason " + std::to_string(reason) + " " + name);
        };
        reader.OnBadCRC = [this](TZipReader& sender, std::uint32_t, std::uint32_t, int index) {
            Failure = sender.EntryFailure();
            Add("badcrc " + std::to_string(index));
        };
        reader.OnUnZipComplete = [this](TZipReader&, int count) { Add("complete " + std::to_string(count)); };
    }

    void Add(const std::string& line) { Lines.push_back(line); }
    std::string Text() const
    {
        std::string text;
        for (const std::string& line : Lines)
            text += line + "\n";
        return text;
    }

    std::vector<std::string> Lines;
    std::string Failure;
};

// Raw deflate data (no zlib header) of data at level.
inline std::string RawDeflate(const std::string& data, int level = 6)
{
    z_stream z{};
    deflateInit2(&z, level, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY);
    std::string out(deflateBound(&z, static_cast<uLong>(data.size())), '\0');
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
    z.avail_in = static_cast<uInt>(data.size());
    z.next_out = reinterpret_cast<Bytef*>(out.data());
    z.avail_out = static_cast<uInt>(out.size());
    deflate(&z, Z_FINISH);
    out.resize(z.total_out);
    deflateEnd(&z);
    return out;
}

// A field of the first entry, at its offset in the local and the central
// header.
struct THeaderField {
    std::size_t Local;
    std::size_t Central;
};
constexpr THeaderField FlagsField{6, 8};
constexpr THeaderField MethodField{8, 10};
constexpr THeaderField CrcField{14, 16};
constexpr THeaderField CompressedSizeField{18, 20};
constexpr THeaderField UncompressedSizeField{22, 24};

// Sets a field of the first entry in both its headers; 16-bit fields are
// flags and method, the others 32-bit.
inline void PatchFirstEntry(std::string& archive, THeaderField field, std::uint32_t value)
{
    const std::size_t central = archive.find("PK\x01\x02");
    auto* bytes = reinterpret_cast<std::uint8_t*>(archive.data());
    if (field.Local <= 8) {
        PutU16(bytes + field.Local, static_cast<std::uint16_t>(value));
        PutU16(bytes + central + field.Central, static_cast<std::uint16_t>(value));
    } else {
        PutU32(bytes + field.Local, value);
        PutU32(bytes + central + field.Central, value);
    }
}

// The first entry of a stored archive turned into a deflated one holding
// data.
inline std::string DeflatedFirstEntry(std::string archive, const std::string& data)
{
    PatchFirstEntry(archive, MethodField, 8);
    PatchFirstEntry(archive, CrcField, TestCrc(data));
    PatchFirstEntry(archive, UncompressedSizeField, static_cast<std::uint32_t>(data.size()));
    return archive;
}

// A user interface that records its message boxes and answers each with answer.
class TAnsweringUI : public TZipUI {
public:
    explicit TAnsweringUI(TMsgResult answer) : answer_(answer) {}
    TMsgResult MessageBox(const std::string& text, const std::string& caption, TMsgButtons) override
    {
        Boxes.push_back(caption + ": " + text);
        return answer_;
    }
    std::vector<std::string> Boxes;

private:
    TMsgResult answer_;
};
