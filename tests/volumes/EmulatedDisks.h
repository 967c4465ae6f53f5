// Removable disks emulated with folders: disk1, disk2, ... in a test folder,
// one of them "in the drive" at a time as the target of the link "drive".
// TEmulatedDrives stands in for the platform's drives (the drive is
// removable, has the inserted disk's label and free space); TDiskPrompt is
// the user at the disk prompt, inserting disks as a script says.
#pragma once

#include <deque>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "TempDir.h"
#include "ZipUI.h"
#include "volumes/Drives.h"

class TEmulatedDrives : public TDrives {
public:
    TEmulatedDrives(const TempDir& dir, int disks, std::int64_t capacity) : dir_(dir), drive_(dir.File("drive"))
    {
        for (int disk = 1; disk <= disks; ++disk) {
            std::filesystem::create_directory(DiskFolder(disk));
            Capacity[disk] = capacity;
        }
        Insert(1);
    }

    // The path of name on the disk in the drive.
    std::string File(const std::string& name) const { return drive_ + "/" + name; }
    std::string DiskFolder(int disk) const { return dir_.File("disk" + std::to_string(disk)); }
    std::string DiskFile(int disk, const std::string& name) const { return DiskFolder(disk) + "/" + name; }

    void Insert(int disk)
    {
        std::filesystem::remove(drive_);
        std::filesystem::create_directory_symlink(DiskFolder(disk), drive_);
        inserted_ = disk;
    }
    int Inserted() const { return inserted_; }

    std::string VolumeRootOf(const std::string& path) override
    {
        return path.starts_with(drive_ + "/") ? drive_ : TDrives::VolumeRootOf(path);
    }
    bool IsRemovable(const std::string& root) override { return Removable && root == drive_; }
    std::string VolumeLabel(const std::string& root) override { return root == drive_ ? Labels[inserted_] : ""; }
    bool SetVolumeLabel(const std::string& root, const std::string& label) override
    {
        if (!LabelsWritable || root != drive_)
            return false;
        Labels[inserted_] = label;
        return true;
    }
    std::int64_t FreeSpace(const std::string& path) override
    {
        if (!path.starts_with(drive_ + "/"))
            return TDrives::FreeSpace(path);
        std::int64_t used = 0;
        for (const auto& file : std::filesystem::directory_iterator(DiskFolder(inserted_)))
            used += static_cast<std::int64_t>(file.file_size());
        return Capacity[inserted_] - used;
    }

    // A drive that says it is fixed, as one a span was copied to.
    bool Removable = true;
    bool LabelsWritable = true;
    std::map<int, std::string> Labels;
    std::map<int, std::int64_t> Capacity;

private:
    const TempDir& dir_;
    std::string drive_;
    int inserted_ = 0;
};

class TDiskPrompt : public TZipUI {
public:
    // What the user does at one prompt: inserts a disk (0: none) and answers.
    struct TStep {
        int Disk;
        TMsgResult Answer;
    };

    explicit TDiskPrompt(TEmulatedDrives& drives) : drives_(drives) {}

    // Follows Script first; after it, inserts the disk asked for and
    // answers OK, or cancels when AutoInsert is off.
    TMsgResult MessageBox(const std::string& text, const std::string&, TMsgButtons) override
    {
        Prompts.push_back(text);
        TStep step = AutoInsert ? TStep{AskedDisk(text), TMsgResult::Ok} : TStep{0, TMsgResult::Cancel};
        if (!Script.empty()) {
            step = Script.front();
            Script.pop_front();
        }
        if (step.Disk > 0)
            drives_.Insert(step.Disk);
        return step.Answer;
    }

    std::deque<TStep> Script;
    bool AutoInsert = true;
    std::vector<std::string> Prompts;

private:
    static int AskedDisk(const std::string& text)
    {
        const std::string prefix = "Please insert disk ";
        return text.starts_with(prefix) ? std::stoi(text.substr(prefix.size())) : 0;
    }

    TEmulatedDrives& drives_;
};
