// The format worker's core around BlockManager::FormatDrive.
#include "jobs/format_worker.h"

#include "disk/sector_access.h"

namespace {
constexpr uint32_t kMostBlocks = 100;
}

uint32_t MaxFormatBlocks(uint32_t lastSector) {
    uint32_t blocks = lastSector / kSlotSectors;
    return blocks > kMostBlocks ? kMostBlocks : blocks;
}

int FormatWorker::Run(DriveFormatHost& host,
                      uint32_t count,
                      const JobParameters& parameters,
                      const std::function<void(const BlockFailure&)>& showFailure) {
    formatRunning.store(1);
    blocks_.cancelRequested.store(0);
    int result =
        blocks_.FormatDrive(host, count, parameters.floppyFormat, parameters.quickFormat, parameters.dosSystem);
    if (result != 0 && showFailure) showFailure(blocks_.FailureOf(result));
    formatRunning.store(0);
    return result;
}
