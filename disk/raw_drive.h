// An open drive as the sector access layer sees it: byte transfers at whole-sector offsets.
// A USB stick opened raw, a Linux block device and an image file standing in for a stick
// are all raw drives; the sector functions never know which one they talk to.
#pragma once

#include <cstdint>

class RawDrive {
public:
    virtual ~RawDrive() = default;

    // Reads or writes `bytes` at byte `offset`; `done` receives the bytes actually moved.
    // False when the OS call fails (its error is kept as the last system error).
    virtual bool ReadAt(uint64_t offset, void* buffer, uint32_t bytes, uint32_t* done) = 0;
    virtual bool WriteAt(uint64_t offset, const void* buffer, uint32_t bytes, uint32_t* done) = 0;

    // Pushes written data to the device; called when the drive is closed.
    virtual bool Flush() = 0;

    // Makes what was written to bytes at offset readable from the device itself, not from a
    // cache, so that reading it back checks the write. False with the last system error stored.
    virtual bool SyncForReadBack(uint64_t offset, uint64_t bytes) = 0;
};
