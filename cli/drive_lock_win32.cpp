// The drive lock on Windows: a byte-range lock on a handle of its own, far beyond the end of any
// image, so that it guards no data the drive's own handle reads or writes. Sticks reached by
// drive letter have no file to lock; their raw route locks the volume instead.
#include <windows.h>

#include "cli/drive_lock.h"
#include "disk/system_error.h"

namespace {
constexpr DWORD kLockOffsetHigh = 0x7FFFFFFF;  // byte 2^63 - 2: no image reaches it
constexpr DWORD kLockOffsetLow = 0xFFFFFFFE;
}  // namespace

DriveLock::~DriveLock() {
    if (handle_ != -1) CloseHandle(reinterpret_cast<HANDLE>(handle_));
}

DriveLock::Result DriveLock::Take(const std::wstring& path, bool exclusive) {
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        CaptureLastSystemError();
        return kFailed;
    }
    OVERLAPPED at{};
    at.Offset = kLockOffsetLow;
    at.OffsetHigh = kLockOffsetHigh;
    DWORD flags = LOCKFILE_FAIL_IMMEDIATELY | (exclusive ? LOCKFILE_EXCLUSIVE_LOCK : 0);
    if (!LockFileEx(file, flags, 0, 1, 0, &at)) {
        const bool busy = GetLastError() == ERROR_LOCK_VIOLATION;
        CaptureLastSystemError();
        CloseHandle(file);
        return busy ? kInUse : kFailed;
    }
    handle_ = reinterpret_cast<intptr_t>(file);
    return kTaken;
}
