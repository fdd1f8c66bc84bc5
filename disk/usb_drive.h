// A USB stick opened raw on Windows: the physical drive, held exclusively for unbuffered
// transfers, and on Windows Vista and later its volume, held locked and dismounted while the
// drive is open. Every call goes through the raw calls of disk/raw_calls.h, so the stick is
// reached directly or through the disk service alike.
#pragma once

#include <cstdint>
#include <string>

#include "disk/raw_calls.h"
#include "disk/raw_drive.h"

// Unbuffered transfers need buffers at this alignment; the block image has it already.
constexpr uint32_t kTransferAlignment = 4096;

class UsbDrive : public RawDrive {
public:
    UsbDrive();
    ~UsbDrive() override;  // closes what is open
    UsbDrive(const UsbDrive&) = delete;
    UsbDrive& operator=(const UsbDrive&) = delete;

    // Opens physical drive driveNumber ("\\.\PHYSICALDRIVE%d"). When the Windows major version
    // is above 5 the volume named by volumeName (a letter and a colon, such as E:) is opened
    // first, a lock is asked for (a refusal does not matter) and the volume is dismounted.
    // False when the volume cannot be opened or dismounted or the drive cannot be opened; then
    // nothing is left open and the thread's last error is that of the failing call.
    bool OpenDrive(int32_t driveNumber, const std::wstring& volumeName);

    // Closes the volume (which releases its lock), then the drive.
    void CloseDrive();

    // Whole sectors only: an offset or size that is not a multiple of 512 fails with
    // ERROR_INVALID_PARAMETER before any call, as the unbuffered device would. Buffers that
    // are not at kTransferAlignment are passed through an aligned buffer of the drive's own.
    // A transfer larger than the disk service's data area goes in pieces of that size, each
    // after a seek of its own; a failed seek fails the transfer.
    bool ReadAt(uint64_t offset, void* buffer, uint32_t bytes, uint32_t* done) override;
    bool WriteAt(uint64_t offset, const void* buffer, uint32_t bytes, uint32_t* done) override;
    // Unbuffered transfers leave nothing to push.
    bool Flush() override { return true; }
    // Nor anything cached to drop: a read comes from the stick.
    bool SyncForReadBack(uint64_t, uint64_t) override { return true; }

    RawHandle volumeHandle() const { return volumeHandle_; }
    RawHandle driveHandle() const { return driveHandle_; }
    int32_t driveNumber() const { return driveNumber_; }

private:
    // Moves the drive's file pointer to offset. False when the move fails.
    bool Seek(uint64_t offset);
    uint8_t* BounceBuffer();
    // Reads into or writes from data; done counts the bytes moved before any failure.
    bool Transfer(uint64_t offset, uint8_t* data, uint32_t bytes, bool write, uint32_t* done);

    RawHandle volumeHandle_;
    RawHandle driveHandle_;
    int32_t driveNumber_ = -1;
    uint8_t* bounce_ = nullptr;  // one piece, allocated at the first unaligned transfer
};
