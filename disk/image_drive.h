// An image file standing in for a whole USB stick: any size, read and written with plain
// file I/O. Also serves Linux block devices, which are files to the kernel's interface.
#pragma once

#include <memory>
#include <string>

#include "disk/pc_file.h"
#include "disk/raw_drive.h"

class ImageDrive : public RawDrive {
public:
    // Opens the file for reading, and for writing too when forWriting is set (a reading job
    // then works on a read-only image or a write-protected stick). exclusive asks the OS to
    // refuse the open while anyone else uses it (a mounted block device on Linux). Null on
    // failure, with the last system error stored.
    static std::unique_ptr<ImageDrive> Open(const std::wstring& path, bool forWriting, bool exclusive = false);

    bool ReadAt(uint64_t offset, void* buffer, uint32_t bytes, uint32_t* done) override;
    bool WriteAt(uint64_t offset, const void* buffer, uint32_t bytes, uint32_t* done) override;
    // Pushes what was written to the device; nothing to do when nothing was written, so that a
    // reading job never waits for the data someone else left in the cache.
    bool Flush() override;
    bool SyncForReadBack(uint64_t offset, uint64_t bytes) override;

    // Size of the image in bytes (0 when it cannot be read).
    uint64_t SizeBytes() const;

private:
    PcFile file_;
    bool written_ = false;
};
