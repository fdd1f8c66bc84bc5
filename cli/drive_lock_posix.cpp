// The drive lock on Linux: flock on a descriptor of its own, which the drive's own opens do not
// touch; it ends with the process, however the process ends.
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>

#include "cli/drive_lock.h"
#include "disk/system_error.h"
#include "disk/wide_path.h"

DriveLock::~DriveLock() {
    if (handle_ >= 0) close(static_cast<int>(handle_));
}

DriveLock::Result DriveLock::Take(const std::wstring& path, bool exclusive) {
    int fd = open(Utf8FromWide(path).c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        CaptureLastSystemError();
        return kFailed;
    }
    if (flock(fd, (exclusive ? LOCK_EX : LOCK_SH) | LOCK_NB) != 0) {
        const bool busy = errno == EWOULDBLOCK;
        CaptureLastSystemError();
        close(fd);
        return busy ? kInUse : kFailed;
    }
    handle_ = fd;
    return kTaken;
}
