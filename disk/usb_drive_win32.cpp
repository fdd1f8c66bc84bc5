// Opening a USB stick raw, and sector transfers on it, over the routed raw calls.
#include <windows.h>

#include <malloc.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "disk/environment.h"
#include "disk/sector_access.h"
#include "disk/service_channel.h"
#include "disk/system_error.h"
#include "disk/usb_drive.h"

namespace {
constexpr DWORD kFsctlLockVolume = 0x00090018;
constexpr DWORD kFsctlDismountVolume = 0x00090020;
constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;  // 7
constexpr DWORD kUnbufferedNormal = FILE_FLAG_NO_BUFFERING | FILE_ATTRIBUTE_NORMAL;  // 0x20000080
constexpr size_t kMaxPath = 260;
// The most one raw call moves: what the disk service's data area carries, on both routes alike, so
// that a transfer that works directly works through the service. Whole sectors, and a multiple of
// kTransferAlignment, so that every piece of an aligned buffer is aligned too.
constexpr uint32_t kPieceSize = kServiceDataSize;
static_assert(kPieceSize % kSectorSize == 0 && kPieceSize % kTransferAlignment == 0, "pieces keep alignment");

bool IsAligned(const void* p) {
    return reinterpret_cast<uintptr_t>(p) % kTransferAlignment == 0;
}

bool WholeSectors(uint64_t offset, uint32_t bytes) {
    return offset % kSectorSize == 0 && bytes % kSectorSize == 0;
}

// Closes *handle if it is open and marks it closed, keeping the thread's last error as it was:
// it belongs to the call that failed before.
void CloseKeepingError(RawHandle* handle) {
    if (*handle == INVALID_HANDLE_VALUE) return;
    DWORD error = GetLastError();
    RawCloseHandle(*handle);
    *handle = INVALID_HANDLE_VALUE;
    SetLastError(error);
}
}  // namespace

UsbDrive::UsbDrive() : volumeHandle_(INVALID_HANDLE_VALUE), driveHandle_(INVALID_HANDLE_VALUE) {}

UsbDrive::~UsbDrive() {
    CloseDrive();
    if (bounce_) _aligned_free(bounce_);
}

bool UsbDrive::OpenDrive(int32_t driveNumber, const std::wstring& volumeName) {
    CloseDrive();
    driveNumber_ = driveNumber;
    if (environmentInfo.osMajorVersion > 5) {
        std::wstring volumePath = L"\\\\.\\" + volumeName;
        if (volumePath.size() >= kMaxPath) volumePath.resize(kMaxPath - 1);
        volumeHandle_ = RawCreateFile(volumePath.c_str(), GENERIC_READ | GENERIC_WRITE, kShareAll, nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (volumeHandle_ == INVALID_HANDLE_VALUE) return false;
        DWORD returned = 0;
        // A volume nobody else uses locks; one in use does not, and is dismounted all the same.
        RawDeviceIoControl(volumeHandle_, kFsctlLockVolume, nullptr, 0, nullptr, 0, &returned, nullptr);
        if (!RawDeviceIoControl(volumeHandle_, kFsctlDismountVolume, nullptr, 0, nullptr, 0, &returned, nullptr)) {
            CloseKeepingError(&volumeHandle_);
            return false;
        }
    }
    std::wstring drivePath = L"\\\\.\\PHYSICALDRIVE" + std::to_wstring(driveNumber);
    driveHandle_ = RawCreateFile(drivePath.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                 kUnbufferedNormal, nullptr);
    if (driveHandle_ == INVALID_HANDLE_VALUE) {
        CloseKeepingError(&volumeHandle_);
        return false;
    }
    return true;
}

void UsbDrive::CloseDrive() {
    // The volume first: closing it releases the lock taken on it.
    if (volumeHandle_ != INVALID_HANDLE_VALUE) {
        RawCloseHandle(volumeHandle_);
        volumeHandle_ = INVALID_HANDLE_VALUE;
    }
    if (driveHandle_ != INVALID_HANDLE_VALUE) {
        RawCloseHandle(driveHandle_);
        driveHandle_ = INVALID_HANDLE_VALUE;
    }
}

bool UsbDrive::Seek(uint64_t offset) {
    // The low part alone reaches 2 GiB, far beyond 100 slots; a larger offset takes its high
    // part along rather than wrapping to a negative distance. The low part of a whole-sector
    // offset is never INVALID_SET_FILE_POINTER, so that value can only be a failure.
    if (offset <= 0x7FFFFFFFu) {
        return RawSetFilePointer(driveHandle_, static_cast<LONG>(offset), nullptr, FILE_BEGIN) !=
               INVALID_SET_FILE_POINTER;
    }
    LONG high = static_cast<LONG>(offset >> 32);
    return RawSetFilePointer(driveHandle_, static_cast<LONG>(static_cast<uint32_t>(offset)), &high, FILE_BEGIN) !=
           INVALID_SET_FILE_POINTER;
}

uint8_t* UsbDrive::BounceBuffer() {
    if (!bounce_) bounce_ = static_cast<uint8_t*>(_aligned_malloc(kPieceSize, kTransferAlignment));
    return bounce_;
}

bool UsbDrive::ReadAt(uint64_t offset, void* buffer, uint32_t bytes, uint32_t* done) {
    return Transfer(offset, static_cast<uint8_t*>(buffer), bytes, false, done);
}

bool UsbDrive::WriteAt(uint64_t offset, const void* buffer, uint32_t bytes, uint32_t* done) {
    // A write only reads from the buffer.
    return Transfer(offset, static_cast<uint8_t*>(const_cast<void*>(buffer)), bytes, true, done);
}

bool UsbDrive::Transfer(uint64_t offset, uint8_t* data, uint32_t bytes, bool write, uint32_t* done) {
    *done = 0;
    if (!WholeSectors(offset, bytes)) {
        SetLastSystemError(ERROR_INVALID_PARAMETER);
        return false;
    }
    // The drive is opened unbuffered: a buffer that is not sector-aligned goes through the
    // aligned bounce buffer. Either way the transfer goes a piece at a time.
    const bool direct = IsAligned(data);
    uint8_t* bounce = direct ? nullptr : BounceBuffer();
    if (!direct && !bounce) {
        SetLastSystemError(ERROR_NOT_ENOUGH_MEMORY);
        return false;
    }
    while (*done < bytes) {
        const uint32_t part = std::min(bytes - *done, kPieceSize);
        uint8_t* io = direct ? data + *done : bounce;
        if (write && !direct) std::memcpy(bounce, data + *done, part);
        // A transfer after a failed seek would move the bytes at the old position.
        if (!Seek(offset + *done)) {
            CaptureLastSystemError();
            return false;
        }
        DWORD moved = 0;
        const BOOL ok = write ? RawWriteFile(driveHandle_, io, part, &moved, nullptr)
                              : RawReadFile(driveHandle_, io, part, &moved, nullptr);
        moved = std::min<DWORD>(moved, part);
        if (!write && !direct) std::memcpy(data + *done, bounce, moved);
        *done += moved;
        if (!ok) {
            CaptureLastSystemError();
            return false;
        }
        if (moved < part) break;  // the end of the drive
    }
    return true;
}
