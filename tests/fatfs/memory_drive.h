// A drive held in memory for drive-mode tests: one slot of sectors, transfers that can be made
// to fail a given number of times, and a record of every transfer's extent.
#pragma once

#include <cstring>
#include <vector>

#include "disk/raw_drive.h"

class MemoryDrive : public RawDrive {
public:
    explicit MemoryDrive(const uint8_t* slot) : bytes_(slot, slot + 3072 * 512) {}

    int failReads = 0;   // the next this many reads fail
    int failWrites = 0;  // the next this many writes fail
    int reads = 0;
    int writes = 0;
    uint32_t largestTransferSectors = 0;
    uint64_t highestByteTouched = 0;  // end of the furthest transfer asked for

    bool ReadAt(uint64_t offset, void* buffer, uint32_t bytes, uint32_t* done) override {
        Note(offset, bytes);
        ++reads;
        *done = 0;
        if (failReads > 0 && failReads--) return false;
        if (offset + bytes > bytes_.size()) return false;
        std::memcpy(buffer, bytes_.data() + offset, bytes);
        *done = bytes;
        return true;
    }

    bool WriteAt(uint64_t offset, const void* buffer, uint32_t bytes, uint32_t* done) override {
        Note(offset, bytes);
        ++writes;
        *done = 0;
        if (failWrites > 0 && failWrites--) return false;
        if (offset + bytes > bytes_.size()) return false;
        std::memcpy(bytes_.data() + offset, buffer, bytes);
        *done = bytes;
        return true;
    }

    bool Flush() override { return true; }

    uint8_t* data() { return bytes_.data(); }

private:
    void Note(uint64_t offset, uint32_t bytes) {
        if (offset + bytes > highestByteTouched) highestByteTouched = offset + bytes;
        if (bytes / 512 > largestTransferSectors) largestTransferSectors = bytes / 512;
    }

    std::vector<uint8_t> bytes_;
};
