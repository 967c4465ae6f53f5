// What extraction tests share: a snapshot of a folder tree to compare
// extractions with, a reader set up to extract an archive file, and a log of
// the extraction events in the order they fire.
#pragma once

#include <sys/stat.h>

#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "TempDir.h"
#include "ZipReader.h"

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

// Records each extraction event as a short line.
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
        reader.OnSkippingFile = [this](TZipReader&, TSkipReason reason, const std::string& name, int index, bool&) {
            Add("skip " + std::to_string(index) + " reason " + std::to_string(reason) + " " + name);
        };
        reader.OnBadCRC = [this](TZipReader&, std::uint32_t, std::uint32_t, int index) {
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
};
