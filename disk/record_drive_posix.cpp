// Drive records on POSIX systems: Linux block devices and image files, no raw USB route.
#include <fcntl.h>
#include <unistd.h>
#ifdef __linux__
#include <linux/fs.h>
#include <sys/ioctl.h>
#endif

#include <cerrno>

#include "disk/attached_images.h"
#include "disk/record_drive.h"
#include "disk/system_error.h"
#include "disk/wide_path.h"

std::unique_ptr<RawDrive> OpenUsbDrive(const DriveRecord&) {
    // Every drive here is a file: discovery fills imagePath for block devices.
    SetLastSystemError(ENODEV);
    return nullptr;
}

int RereadPartitionTable(const DriveRecord& record) {
    if (IsImageRecord(record) || record.imagePath.empty()) return 0;
#ifdef BLKRRPART
    int fd = ::open(Utf8FromWide(record.imagePath).c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        CaptureLastSystemError();
        return -1;
    }
    int result = 0;
    if (ioctl(fd, BLKRRPART) != 0) {
        CaptureLastSystemError();
        result = -1;
    }
    ::close(fd);
    return result;
#else
    return 0;
#endif
}

bool IsDriveInUseError(uint32_t code) {
    return code == EBUSY;
}

bool IsReadOnlyError(uint32_t code) {
    return code == EACCES || code == EROFS || code == EPERM;
}
