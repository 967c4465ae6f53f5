// What the engine needs to know of the drives its volumes lie on: the root of
// the volume that holds a path, whether that volume is removable, its label
// and its free space. The Linux default reads the mount table
// (/proc/self/mountinfo), /sys/dev/block/MAJ:MIN/removable, the links of
// /dev/disk/by-label and statvfs. Linux gives programs no way to set a
// volume's label, so SetVolumeLabel there always answers false. Tests
// install a double with TDrivesScope to emulate removable disks.
#pragma once

#include <cstdint>
#include <string>

class TDrives {
public:
    virtual ~TDrives() = default;
    // The mount point of the volume holding path (which need not exist yet:
    // its nearest existing folder counts); "/" when nothing better is known.
    virtual std::string VolumeRootOf(const std::string& path);
    // Whether the volume mounted at root is on a removable drive.
    virtual bool IsRemovable(const std::string& root);
    // The volume's label; empty when it has none or the system does not say.
    virtual std::string VolumeLabel(const std::string& root);
    // Labels the volume; false when that is not possible.
    virtual bool SetVolumeLabel(const std::string& root, const std::string& label);
    // Bytes free for this user on the volume holding path; -1 when unknown.
    virtual std::int64_t FreeSpace(const std::string& path);
};

// The drives in use: the Linux default unless a double has been installed.
TDrives& Drives();

// Installs drives for its own lifetime and restores the previous one after.
class TDrivesScope {
public:
    explicit TDrivesScope(TDrives& drives);
    ~TDrivesScope();
    TDrivesScope(const TDrivesScope&) = delete;
    TDrivesScope& operator=(const TDrivesScope&) = delete;

private:
    TDrives* previous_;
};
