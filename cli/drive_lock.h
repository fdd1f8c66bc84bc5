// The advisory lock a slotwise-cli command holds on its drive for its whole run, so that two
// commands never change one drive at once: exclusive for a command that writes, shared for one
// that only reads. Other programs are not held back by it. One file per platform.
#pragma once

#include <cstdint>
#include <string>

class DriveLock {
public:
    enum Result { kTaken, kInUse, kFailed };

    DriveLock() = default;
    ~DriveLock();
    DriveLock(const DriveLock&) = delete;
    DriveLock& operator=(const DriveLock&) = delete;

    // Locks the image file or device at path, or answers kInUse at once when another command
    // holds a lock that conflicts. kFailed (the last system error stored) when the file cannot
    // be opened to lock it; the caller then goes on, and opening the drive reports the cause.
    Result Take(const std::wstring& path, bool exclusive);

private:
    intptr_t handle_ = -1;
};

// What a command says when the drive, named as the user named it, is locked by another command.
inline std::wstring DriveInUseText(const std::wstring& name) {
    return name + L" is in use by another Slotwise command";
}
