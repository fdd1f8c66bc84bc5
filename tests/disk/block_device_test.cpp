// A real Linux block device (a loop device over a scratch image) opened through a drive
// record: exclusive, so a second holder is refused with the in-use message. Needs the right
// to set up loop devices; skipped elsewhere.
#include <fcntl.h>
#include <linux/loop.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <string>
#include <vector>

#include "disk/record_drive.h"
#include "disk/sector_access.h"
#include "disk/system_error.h"
#include "disk/wide_path.h"
#include "support/temp_dir.h"

namespace {

// One loop device bound to a backing file for the life of the object.
class LoopDevice {
public:
    explicit LoopDevice(const std::string& backing) {
        int control = ::open("/dev/loop-control", O_RDWR | O_CLOEXEC);
        if (control < 0) return;
        int number = ioctl(control, LOOP_CTL_GET_FREE);
        ::close(control);
        if (number < 0) return;
        path_ = "/dev/loop" + std::to_string(number);
        fd_ = ::open(path_.c_str(), O_RDWR | O_CLOEXEC);
        int file = ::open(backing.c_str(), O_RDWR | O_CLOEXEC);
        if (fd_ >= 0 && file >= 0 && ioctl(fd_, LOOP_SET_FD, file) == 0) bound_ = true;
        if (file >= 0) ::close(file);
    }
    ~LoopDevice() {
        if (bound_) ioctl(fd_, LOOP_CLR_FD, 0);
        if (fd_ >= 0) ::close(fd_);
    }
    bool bound() const { return bound_; }
    const std::string& path() const { return path_; }

private:
    std::string path_;
    int fd_ = -1;
    bool bound_ = false;
};

TEST(BlockDevice, IsHeldExclusivelyAndASecondOpenIsToldItIsInUse) {
    TempDir dir;
    const size_t bytes = (kSlotSectors + 64) * size_t{kSectorSize};
    WriteWholeFile(dir.File("backing.img"), std::string(bytes, '\0'));
    LoopDevice loop(dir.File("backing.img"));
    if (!loop.bound()) GTEST_SKIP() << "no loop device can be set up here";

    DriveRecord record;
    record.deviceNumber = 7;
    record.lastSector = kSlotSectors + 63;
    record.driveName = WideFromUtf8(loop.path());
    record.imagePath = record.driveName;

    SectorAccess sectors;
    std::unique_ptr<RawDrive> first = OpenRecordDrive(record);
    ASSERT_NE(first, nullptr) << Utf8FromWide(SystemErrorText(LastSystemError()));
    sectors.AttachDrive(std::move(first));

    SetLastSystemError(0);
    EXPECT_EQ(OpenRecordDrive(record), nullptr);
    EXPECT_EQ(LastSystemError(), static_cast<uint32_t>(EBUSY));
    EXPECT_EQ(DriveOpenErrorText(record, LastSystemError()),
              L"The drive " + record.driveName + L" is in use (mounted?); unmount it first");

    std::vector<uint8_t> header(kSectorSize, 0x5A);
    ASSERT_EQ(sectors.WriteSectors(3071, 1, header.data()), 0);
    sectors.CloseDrive();  // flushes the device into the backing file

    std::string image = ReadWholeFile(dir.File("backing.img"));
    ASSERT_EQ(image.size(), bytes);
    EXPECT_EQ(std::memcmp(image.data() + 3071 * size_t{kSectorSize}, header.data(), kSectorSize), 0);

    // Released at close: the next job opens it again.
    EXPECT_NE(OpenRecordDrive(record), nullptr);
}

}  // namespace
