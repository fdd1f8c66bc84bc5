// Opening a drive record's drive and what the user is told when that fails.
#include "disk/record_drive.h"

#include <gtest/gtest.h>

#include <cerrno>

#include "disk/attached_images.h"
#include "disk/system_error.h"
#include "support/temp_dir.h"

namespace {

DriveRecord Device(const wchar_t* path) {
    DriveRecord r;
    r.deviceNumber = 1;
    r.lastSector = 3940351;
    r.driveName = path;
    r.deviceName = L"USB FlashDisk";
    r.imagePath = path;
    return r;
}

DriveRecord Image(const std::wstring& path) {
    DriveRecord r;
    r.deviceNumber = 1000;
    r.lastSector = 4095;
    r.driveName = L"Y:";
    r.deviceName = L"Image a.img";
    r.imagePath = path;
    return r;
}

TEST(OpenRecordDrive, ARecordWithoutAFileNeedsTheRawRouteAndFailsCleanly) {
    DriveRecord stick = Device(L"E:");
    stick.imagePath.clear();
    stick.deviceNumber = 999;  // no machine has it, so where a raw route exists it fails too
    SetLastSystemError(0);
    EXPECT_EQ(OpenRecordDrive(stick), nullptr);
    EXPECT_NE(LastSystemError(), 0u);
}

TEST(OpenRecordDrive, AMissingImageFailsWithTheSystemError) {
    TempDir dir;
    SetLastSystemError(0);
    EXPECT_EQ(OpenRecordDrive(Image(dir.WFile("gone.img"))), nullptr);
    EXPECT_NE(LastSystemError(), 0u);
}

TEST(RereadPartitionTable, NothingToDoForImages) {
    TempDir dir;
    WriteWholeFile(dir.File("a.img"), std::string(4096, 'x'));
    EXPECT_EQ(RereadPartitionTable(Image(dir.WFile("a.img"))), 0);
    EXPECT_EQ(ReadWholeFile(dir.File("a.img")), std::string(4096, 'x'));
}

#ifndef _WIN32
TEST(RereadPartitionTable, AFileThatIsNoBlockDeviceReportsTheFailure) {
    TempDir dir;
    WriteWholeFile(dir.File("plain"), std::string(512, '\0'));
    SetLastSystemError(0);
    EXPECT_EQ(RereadPartitionTable(Device(dir.WFile("plain").c_str())), -1);
    EXPECT_NE(LastSystemError(), 0u);
}

TEST(DriveOpenErrorText, AMountedDeviceIsNamedWithTheWayOut) {
    EXPECT_TRUE(IsDriveInUseError(EBUSY));
    EXPECT_EQ(DriveOpenErrorText(Device(L"/dev/sdb"), EBUSY),
              L"The drive /dev/sdb is in use (mounted?); unmount it first");
}

TEST(DriveOpenErrorText, OtherFailuresCarryTheSystemText) {
    EXPECT_EQ(DriveOpenErrorText(Device(L"/dev/sdb"), EACCES),
              L"Cannot open the drive /dev/sdb: " + SystemErrorText(EACCES));
    EXPECT_EQ(DriveOpenErrorText(Image(L"/tmp/a.img"), ENOENT),
              L"Cannot open the image /tmp/a.img: " + SystemErrorText(ENOENT));
}
#else
TEST(DriveOpenErrorText, AnImageHeldByAnotherProgramIsSaidToBeInUse) {
    EXPECT_TRUE(IsDriveInUseError(32));  // ERROR_SHARING_VIOLATION
    EXPECT_EQ(DriveOpenErrorText(Image(L"C:\\a.img"), 32), L"The image C:\\a.img is in use by another program");
}
#endif

}  // namespace
