// The sector access layer: the only way the rest of the program reaches a drive. Two
// targets share one pair of sector functions: drive mode, where block-relative sector s of
// the current block k is drive sector 3072*k + s on the open drive, and image mode, where
// sector s is the 512 bytes at 512*s of the block image held in memory.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "disk/raw_drive.h"

constexpr uint32_t kSectorSize = 512;
constexpr uint32_t kSlotSectors = 3072;                       // one floppy disk block slot
constexpr uint32_t kBlockImageSize = kSlotSectors * kSectorSize;  // 1,572,864 bytes

class SectorAccess {
public:
    SectorAccess();
    ~SectorAccess();
    SectorAccess(const SectorAccess&) = delete;
    SectorAccess& operator=(const SectorAccess&) = delete;

    uint32_t currentBlock = 0;  // zero-based block index, drive mode only
    int32_t target = 0;         // 1 = drive mode, anything else = image mode

    void SetBlockIndex(uint32_t index) { currentBlock = index; }
    void UseDriveMode() { target = 1; }
    void UseImageMode() { target = 0; }

    // Block-relative transfers of `count` sectors. Returns 0 on success, 1 on failure: a
    // failed OS call, a transfer that moved fewer bytes than asked, or no drive open.
    // Image mode ignores the current block and never fails; the caller keeps
    // sector + count within the slot.
    uint8_t ReadSectors(uint32_t sector, uint32_t count, void* buffer);
    uint8_t WriteSectors(uint32_t sector, uint32_t count, const void* buffer);

    // Makes the sectors just written readable from the drive itself rather than from a cache,
    // so that reading them back checks the write. 0 on success (always in image mode), 1 on failure.
    uint8_t SyncForReadBack(uint32_t sector, uint32_t count);

    // Hands an opened drive to the layer and selects drive mode (what opening a drive does);
    // the layer owns it until CloseDrive, which flushes and releases it.
    void AttachDrive(std::unique_ptr<RawDrive> drive);
    void CloseDrive();
    bool HasDrive() const { return drive_ != nullptr; }
    RawDrive* drive() const { return drive_.get(); }

    // Reads a floppy image file into the block image. Returns 0 with the size rounded up to
    // a whole sector in sizeOut; 257 for a file larger than one slot (nothing read); 261 when the
    // file changed size while it was read; -1 with the last system error stored when the file
    // cannot be opened or read.
    int LoadImageFile(const std::wstring& path, uint32_t* sizeOut);

    uint8_t* blockImage() { return image_; }
    const uint8_t* blockImage() const { return image_; }

private:
    uint8_t* image_;  // kBlockImageSize bytes, sector-aligned for unbuffered transfers
    std::unique_ptr<RawDrive> drive_;
};
