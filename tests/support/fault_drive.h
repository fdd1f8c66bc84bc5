// Drives for tests: one held in memory, and a wrapper over any drive that records every
// transfer and makes the k-th one fail, come back short, fail with every one after it (a stick
// pulled out), or take a write without keeping it. Reads and writes are counted together, from 1.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "disk/raw_drive.h"

struct Transfer {
    bool write;
    uint64_t sector;  // drive sector of the first byte
    uint32_t count;   // sectors asked for
};

enum class Fault {
    Fail,   // transfer k fails and moves nothing
    Short,  // transfer k moves half its sectors (rounded down) and says it succeeded
    Dead,   // transfer k and every one after it fail
    Lost,   // write k says it wrote everything and the drive keeps nothing of it
};

// What a test asks of the drive and what the drive saw; shared with the test, so it outlives
// the drive.
struct FaultPlan {
    int failAt = 0;  // 0: never
    Fault fault = Fault::Fail;
    std::vector<Transfer> transfers;
    int flushes = 0;

    int Count(bool writes) const;
    // "R 3072+2880, W 6143+1, ..." for messages.
    std::string Describe() const;
};

class FaultDrive : public RawDrive {
public:
    FaultDrive(std::unique_ptr<RawDrive> inner, std::shared_ptr<FaultPlan> plan);

    bool ReadAt(uint64_t offset, void* buffer, uint32_t bytes, uint32_t* done) override;
    bool WriteAt(uint64_t offset, const void* buffer, uint32_t bytes, uint32_t* done) override;
    bool Flush() override;
    bool SyncForReadBack(uint64_t offset, uint64_t bytes) override { return inner_->SyncForReadBack(offset, bytes); }

private:
    // The bytes to really move for the transfer just recorded; false when it fails outright.
    bool Allowed(uint32_t bytes, uint32_t* allowed);

    std::unique_ptr<RawDrive> inner_;
    std::shared_ptr<FaultPlan> plan_;
};

// A drive of `bytes` zero bytes (or of the given bytes) in memory; transfers past its end fail.
class MemoryDrive : public RawDrive {
public:
    explicit MemoryDrive(size_t bytes) : bytes_(bytes, 0) {}
    explicit MemoryDrive(std::vector<uint8_t> bytes) : bytes_(std::move(bytes)) {}

    bool ReadAt(uint64_t offset, void* buffer, uint32_t bytes, uint32_t* done) override;
    bool WriteAt(uint64_t offset, const void* buffer, uint32_t bytes, uint32_t* done) override;
    bool Flush() override { return true; }
    bool SyncForReadBack(uint64_t, uint64_t) override { return true; }

    std::vector<uint8_t>& bytes() { return bytes_; }

private:
    std::vector<uint8_t> bytes_;
};
