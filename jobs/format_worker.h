// The core of the format worker: one whole-drive format at a time, started with a fresh
// cancel flag, its non-zero result reported. The window runs it on a thread of its own; the
// command-line tool calls it directly.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>

#include "blocks/block_manager.h"
#include "blocks/drive_format.h"
#include "jobs/job_parameters.h"

// The most blocks a drive can be formatted into: its last sector number / 3072, at most 100.
uint32_t MaxFormatBlocks(uint32_t lastSector);

class FormatWorker {
public:
    explicit FormatWorker(BlockManager& blocks) : blocks_(blocks) {}

    // 1 while a whole-drive format runs (closing the format dialog then means cancelling).
    std::atomic<int32_t> formatRunning{0};

    // Formats the host's drive into `count` blocks of the parameters' format, quick flag and
    // DOS system. The result is FormatDrive's; a non-zero one is passed to showFailure with the
    // block it concerns and what became of it.
    int Run(DriveFormatHost& host,
            uint32_t count,
            const JobParameters& parameters,
            const std::function<void(const BlockFailure&)>& showFailure);

private:
    BlockManager& blocks_;
};
