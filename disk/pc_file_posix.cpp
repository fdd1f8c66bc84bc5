#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#ifdef __linux__
#include <linux/fs.h>
#include <sys/ioctl.h>
#endif

#include <cerrno>

#include "disk/pc_file.h"
#include "disk/system_error.h"
#include "disk/wide_path.h"

PcFile::~PcFile() { Close(); }

bool PcFile::Open(const std::wstring& path, Mode mode, bool exclusive) {
    Close();
    int flags = O_CLOEXEC;
    switch (mode) {
        case Mode::Read: flags |= O_RDONLY; break;
        case Mode::ReadWrite: flags |= O_RDWR; break;
        case Mode::CreateAlways: flags |= O_RDWR | O_CREAT | O_TRUNC; break;
        case Mode::CreateNew: flags |= O_RDWR | O_CREAT | O_EXCL; break;
    }
    // O_EXCL without O_CREAT asks Linux for exclusive use of a block device.
    if (exclusive && mode != Mode::CreateNew && mode != Mode::CreateAlways) flags |= O_EXCL;
    fd_ = ::open(Utf8FromWide(path).c_str(), flags, 0666);
    if (fd_ < 0) {
        CaptureLastSystemError();
        return false;
    }
    return true;
}

bool PcFile::IsOpen() const { return fd_ >= 0; }

bool PcFile::Size(uint64_t* size) const {
    struct stat st;
    if (fstat(fd_, &st) != 0) {
        CaptureLastSystemError();
        return false;
    }
#ifdef BLKGETSIZE64
    if (S_ISBLK(st.st_mode)) {
        uint64_t bytes = 0;
        if (ioctl(fd_, BLKGETSIZE64, &bytes) != 0) {
            CaptureLastSystemError();
            return false;
        }
        *size = bytes;
        return true;
    }
#endif
    *size = static_cast<uint64_t>(st.st_size);
    return true;
}

bool PcFile::ReadAt(uint64_t offset, void* buffer, uint32_t bytes, uint32_t* done) {
    uint32_t total = 0;
    while (total < bytes) {
        ssize_t n = pread(fd_, static_cast<char*>(buffer) + total, bytes - total, static_cast<off_t>(offset + total));
        if (n < 0) {
            if (errno == EINTR) continue;
            *done = total;
            CaptureLastSystemError();
            return false;
        }
        if (n == 0) break;  // end of file
        total += static_cast<uint32_t>(n);
    }
    *done = total;
    return true;
}

bool PcFile::WriteAt(uint64_t offset, const void* buffer, uint32_t bytes, uint32_t* done) {
    uint32_t total = 0;
    while (total < bytes) {
        ssize_t n =
            pwrite(fd_, static_cast<const char*>(buffer) + total, bytes - total, static_cast<off_t>(offset + total));
        if (n < 0) {
            if (errno == EINTR) continue;
            *done = total;
            CaptureLastSystemError();
            return false;
        }
        if (n == 0) break;
        total += static_cast<uint32_t>(n);
    }
    *done = total;
    return true;
}

bool PcFile::SetSize(uint64_t size) {
    if (ftruncate(fd_, static_cast<off_t>(size)) != 0) {
        CaptureLastSystemError();
        return false;
    }
    return true;
}

bool PcFile::Flush() {
    if (fsync(fd_) != 0) {
        CaptureLastSystemError();
        return false;
    }
    return true;
}

bool PcFile::SyncAndDropCache(uint64_t offset, uint64_t bytes) {
#ifdef __linux__
    // Only the range, written out and waited for: a read of it then comes from the device. The
    // device's own cache and the file's metadata are left to Flush at close.
    const unsigned int range = SYNC_FILE_RANGE_WAIT_BEFORE | SYNC_FILE_RANGE_WRITE | SYNC_FILE_RANGE_WAIT_AFTER;
    bool synced = sync_file_range(fd_, static_cast<off_t>(offset), static_cast<off_t>(bytes), range) == 0;
#else
    bool synced = false;
#endif
    if (!synced && fdatasync(fd_) != 0) {
        CaptureLastSystemError();
        return false;
    }
    // Advice only: a file system that keeps no page cache has nothing to drop.
    posix_fadvise(fd_, static_cast<off_t>(offset), static_cast<off_t>(bytes), POSIX_FADV_DONTNEED);
    return true;
}

bool PcFile::Close() {
    if (fd_ < 0) return true;
    int rc = ::close(fd_);
    fd_ = -1;
    if (rc != 0) {
        CaptureLastSystemError();
        return false;
    }
    return true;
}
