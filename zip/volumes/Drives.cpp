#include "volumes/Drives.h"

#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/sysmacros.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <system_error>
#include <vector>

namespace {

TDrives& DefaultDrives()
{
    static TDrives drives;
    return drives;
}

TDrives* installed = nullptr;

// The nearest folder of path that exists, as an absolute path.
std::filesystem::path ExistingFolderOf(const std::string& path)
{
    std::error_code error;
    std::filesystem::path folder = std::filesystem::absolute(path, error);
    while (!folder.empty() && !std::filesystem::is_directory(folder, error) && folder != folder.root_path())
        folder = folder.parent_path();
    return std::filesystem::weakly_canonical(folder, error);
}

// Mount info escapes blanks and backslashes as octal "\040".
std::string UnescapeMountField(const std::string& field)
{
    std::string text;
    for (std::size_t i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size()) {
            text += static_cast<char>(std::stoi(field.substr(i + 1, 3), nullptr, 8));
            i += 3;
        } else {
            text += field[i];
        }
    }
    return text;
}

struct TMountLine {
    std::string Device; // "MAJ:MIN"
    std::string MountPoint;
};

// Every line of the mount table in order: fields 3 and 5 of /proc/self/mountinfo.
std::vector<TMountLine> MountTable()
{
    std::vector<TMountLine> table;
    std::ifstream in("/proc/self/mountinfo");
    for (std::string line; std::getline(in, line);) {
        std::istringstream fields(line);
        std::string id, parent, device, subtree, mountPoint;
        if (fields >> id >> parent >> device >> subtree >> mountPoint)
            table.push_back(TMountLine{device, UnescapeMountField(mountPoint)});
    }
    return table;
}

// The device mounted at root; a later mount on the same point hides an earlier one.
std::string DeviceMountedAt(const std::string& root)
{
    std::string device;
    for (const TMountLine& mount : MountTable())
        if (mount.MountPoint == root)
            device = mount.Device;
    return device;
}

bool PathIsInside(const std::filesystem::path& path, const std::filesystem::path& root)
{
    return std::mismatch(root.begin(), root.end(), path.begin(), path.end()).first == root.end();
}

} // namespace

std::string TDrives::VolumeRootOf(const std::string& path)
{
    const std::filesystem::path folder = ExistingFolderOf(path);
    std::string best = "/";
    for (const TMountLine& mount : MountTable())
        if (mount.MountPoint.size() > best.size() && PathIsInside(folder, mount.MountPoint))
            best = mount.MountPoint;
    return best;
}

bool TDrives::IsRemovable(const std::string& root)
{
    const std::string device = DeviceMountedAt(root);
    if (device.empty())
        return false;
    // A partition reports on its whole disk, one folder up in sysfs.
    const std::string block = "/sys/dev/block/" + device;
    for (const std::string& file : {block + "/removable", block + "/../removable"}) {
        std::ifstream in(file);
        int removable = 0;
        if (in >> removable)
            return removable == 1;
    }
    return false;
}

std::string TDrives::VolumeLabel(const std::string& root)
{
    const std::string mounted = DeviceMountedAt(root);
    if (mounted.empty())
        return "";
    std::error_code error;
    for (const auto& link : std::filesystem::directory_iterator("/dev/disk/by-label", error)) {
        struct stat target {};
        if (::stat(link.path().c_str(), &target) != 0 || !S_ISBLK(target.st_mode))
            continue;
        const std::string device = std::to_string(major(target.st_rdev)) + ":" + std::to_string(minor(target.st_rdev));
        // udev escapes blanks in label names as "\x20".
        if (device == mounted) {
            std::string name = link.path().filename().string();
            for (std::size_t at; (at = name.find("\\x20")) != std::string::npos;)
                name.replace(at, 4, " ");
            return name;
        }
    }
    return "";
}

bool TDrives::SetVolumeLabel(const std::string&, const std::string&) { return false; }

std::int64_t TDrives::FreeSpace(const std::string& path)
{
    struct statvfs info {};
    if (::statvfs(ExistingFolderOf(path).c_str(), &info) != 0)
        return -1;
    return static_cast<std::int64_t>(info.f_bavail) * static_cast<std::int64_t>(info.f_frsize);
}

TDrives& Drives() { return installed ? *installed : DefaultDrives(); }

TDrivesScope::TDrivesScope(TDrives& drives) : previous_(installed) { installed = &drives; }

TDrivesScope::~TDrivesScope() { installed = previous_; }
