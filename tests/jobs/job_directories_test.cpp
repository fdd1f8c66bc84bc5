// The folders of open, save and backup: the drive level on Windows (the drive letter) and
// elsewhere (the base name of the image or device), a root given on the command line, and
// the backup's time stamp.
#include <gtest/gtest.h>

#include "blocks/local_time.h"
#include "jobs/job_directories.h"

namespace {

DriveRecord Record(const std::wstring& driveName, const std::wstring& imagePath) {
    DriveRecord record;
    record.deviceNumber = 1;
    record.driveName = driveName;
    record.imagePath = imagePath;
    return record;
}

const DirectoryStyle kWindows{L'\\', true};
const DirectoryStyle kPosix{L'/', false};

TEST(JobDirectories, WindowsUsesTheDriveLetter) {
    JobDirectories dirs(kWindows, Record(L"E:", L""), L"");
    EXPECT_EQ(dirs.UploadRoot(L"C:\\up"), L"C:\\up\\E");
    EXPECT_EQ(dirs.BlockDirectory(dirs.UploadRoot(L"C:\\up"), 7), L"C:\\up\\E\\FLOPPY007");
    EXPECT_EQ(dirs.BackupRoot(L"C:\\bak", L"20261205195944"), L"C:\\bak\\20261205195944\\E");
    // An attached image has a letter of its own too.
    JobDirectories image(kWindows, Record(L"Y:", L"C:\\images\\demo.img"), L"");
    EXPECT_EQ(image.driveLevel(), L"Y");
}

TEST(JobDirectories, ElsewhereUsesTheImagesOrDevicesBaseName) {
    JobDirectories image(kPosix, Record(L"Y:", L"/home/me/images/demo.img"), L"");
    EXPECT_EQ(image.BlockDirectory(image.UploadRoot(L"/home/me/DISK"), 42), L"/home/me/DISK/demo.img/FLOPPY042");
    JobDirectories device(kPosix, Record(L"/dev/sdb", L"/dev/sdb"), L"");
    EXPECT_EQ(device.UploadRoot(L"/up"), L"/up/sdb");
    EXPECT_EQ(device.BackupRoot(L"/bak", L"20261205195944"), L"/bak/20261205195944/sdb");
    JobDirectories noFile(kPosix, Record(L"/dev/sdc", L""), L"");
    EXPECT_EQ(noFile.driveLevel(), L"sdc");
}

TEST(JobDirectories, GivenRootHasNoDriveLevel) {
    JobDirectories dirs(kPosix, Record(L"Y:", L"/x/demo.img"), L"/tmp/out/");
    EXPECT_EQ(dirs.BlockDirectory(dirs.UploadRoot(L"/ignored"), 3), L"/tmp/out/FLOPPY003");
    EXPECT_EQ(dirs.BackupRoot(L"/ignored", L"20260101000000"), L"/tmp/out/20260101000000");
    JobDirectories windows(kWindows, Record(L"E:", L""), L"D:\\out\\");
    EXPECT_EQ(windows.BlockDirectory(windows.UploadRoot(L"C:\\up"), 0), L"D:\\out\\FLOPPY000");
}

TEST(JobDirectories, BackupStampIsTheLocalTimeInFourteenDigits) {
    LocalTime time;
    time.year = 2026;
    time.month = 1;
    time.day = 5;
    time.hour = 9;
    time.minute = 3;
    time.second = 7;
    FixLocalTime(time);
    EXPECT_EQ(BackupStamp(), L"20260105090307");
    ClearFixedLocalTime();
}

}  // namespace
