// A drive someone else holds is refused with a text that says so, and nothing is written: on
// Linux a block device (a loop device over a scratch file) is held exclusively, so a second
// opener, like a mount, is refused; on Windows an image file open in another program is.
#include "disk/record_drive.h"

#include <gtest/gtest.h>

#include <string>

#include "disk/sector_access.h"
#include "disk/system_error.h"
#include "disk/wide_path.h"
#include "support/temp_dir.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <linux/loop.h>
#include <sys/ioctl.h>
#include <unistd.h>
#endif

namespace {

#ifdef _WIN32
TEST(DriveInUse, AnImageOpenInAnotherProgramIsRefused) {
    TempDir dir;
    WriteWholeFile(dir.File("held.img"), std::string(4 * kSlotSectors * size_t{kSectorSize}, '\0'));
    HANDLE other = CreateFileW(dir.WFile("held.img").c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                               OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(other, INVALID_HANDLE_VALUE);
    DriveRecord record;
    record.deviceNumber = 1000;
    record.lastSector = 4 * kSlotSectors - 1;
    record.driveName = L"Y:";
    record.imagePath = dir.WFile("held.img");
    SetLastSystemError(0);
    EXPECT_EQ(OpenRecordDrive(record), nullptr);
    EXPECT_EQ(DriveOpenErrorText(record, LastSystemError()),
              L"The image " + record.imagePath + L" is in use by another program");
    CloseHandle(other);
    EXPECT_NE(OpenRecordDrive(record), nullptr);
}
#else
// One loop device bound to a backing file for the life of the object.
class LoopDevice {
public:
    explicit LoopDevice(const std::string& backing) {
        int control = ::open("/dev/loop-control", O_RDWR | O_CLOEXEC);
        int number = control < 0 ? -1 : ioctl(control, LOOP_CTL_GET_FREE);
        if (control >= 0) ::close(control);
        if (number < 0) return;
        path = "/dev/loop" + std::to_string(number);
        fd_ = ::open(path.c_str(), O_RDWR | O_CLOEXEC);
        int file = ::open(backing.c_str(), O_RDWR | O_CLOEXEC);
        bound = fd_ >= 0 && file >= 0 && ioctl(fd_, LOOP_SET_FD, file) == 0;
        if (file >= 0) ::close(file);
    }
    ~LoopDevice() {
        if (bound) ioctl(fd_, LOOP_CLR_FD, 0);
        if (fd_ >= 0) ::close(fd_);
    }
    std::string path;
    bool bound = false;

private:
    int fd_ = -1;
};

TEST(DriveInUse, ABlockDeviceIsHeldExclusivelyUntilClosed) {
    TempDir dir;
    WriteWholeFile(dir.File("backing.img"), std::string((kSlotSectors + 64) * size_t{kSectorSize}, '\0'));
    LoopDevice loop(dir.File("backing.img"));
    if (!loop.bound) GTEST_SKIP() << "no loop device can be set up here";
    DriveRecord record;
    record.deviceNumber = 7;
    record.lastSector = kSlotSectors + 63;
    record.driveName = record.imagePath = WideFromUtf8(loop.path);

    SectorAccess sectors;
    std::unique_ptr<RawDrive> first = OpenRecordDrive(record);
    ASSERT_NE(first, nullptr) << Utf8FromWide(SystemErrorText(LastSystemError()));
    sectors.AttachDrive(std::move(first));
    SetLastSystemError(0);
    EXPECT_EQ(OpenRecordDrive(record), nullptr);
    EXPECT_EQ(DriveOpenErrorText(record, LastSystemError()),
              L"The drive " + record.driveName + L" is in use (mounted?); unmount it first");

    std::string header(kSectorSize, '\x5A');
    ASSERT_EQ(sectors.WriteSectors(3071, 1, reinterpret_cast<const uint8_t*>(header.data())), 0);
    sectors.CloseDrive();  // flushes the device into the backing file
    EXPECT_EQ(ReadWholeFile(dir.File("backing.img")).substr(3071 * size_t{kSectorSize}, kSectorSize), header);
    EXPECT_NE(OpenRecordDrive(record), nullptr);
}
#endif

}  // namespace
