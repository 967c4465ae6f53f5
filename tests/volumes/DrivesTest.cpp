// The Linux drives: what the mount table and sysfs tell of a path's volume.
#include <gtest/gtest.h>

#include "TempDir.h"
#include "volumes/Drives.h"

TEST(Drives, AVolumeRootIsTheMountPointHoldingThePath)
{
    TDrives drives;
    TempDir dir;
    // A file not made yet lies on the volume of its folder.
    EXPECT_EQ(drives.VolumeRootOf(dir.File("not/yet/made.zip")), drives.VolumeRootOf(dir.Folder()));
    EXPECT_TRUE(dir.Path().string().starts_with(drives.VolumeRootOf(dir.Folder())));
    EXPECT_EQ(drives.VolumeRootOf("/proc/self/status"), "/proc");
}

TEST(Drives, AVolumeWithoutABlockDeviceIsNotRemovableAndHasNoLabel)
{
    TDrives drives;
    EXPECT_FALSE(drives.IsRemovable("/proc"));
    EXPECT_EQ(drives.VolumeLabel("/proc"), "");
    EXPECT_FALSE(drives.IsRemovable("/no/such/mount"));
}

TEST(Drives, LinuxCannotLabelAVolume)
{
    TDrives drives;
    TempDir dir;
    EXPECT_FALSE(drives.SetVolumeLabel(drives.VolumeRootOf(dir.Folder()), "PKBACK# 001"));
}

TEST(Drives, FreeSpaceIsThatOfTheVolumeHoldingThePath)
{
    TDrives drives;
    TempDir dir;
    EXPECT_GT(drives.FreeSpace(dir.File("not/yet/made.zip")), 0);
}
