// Changes to one block in place. Load reads the block's volume into the block image and keeps a
// copy of it as read; the file engine then changes the image (image mode), so that a change that
// fails part-way has written nothing; Commit writes back only the sectors that differ from the
// copy and stamps the renew time, each write read back from the drive and compared (unless the
// manager's verifyWrites is off).
#pragma once

#include <cstdint>
#include <vector>

#include "blocks/block_manager.h"

class BlockEdit {
public:
    explicit BlockEdit(BlockManager& manager) : m_(manager) {}

    // Reads the block and mounts its volume in image mode: a block status or the engine's.
    int Load(uint32_t block);
    uint32_t block() const { return block_; }
    FloppyFormat format() const { return format_; }

    // Sectors of the image that differ from the block as read.
    uint32_t ChangedSectors() const;

    // Writes the changed sectors, in runs, and the renew time (nothing at all when no sector
    // changed), each read back and compared. BLK_OK; BLK_WIN_ERROR when a write or the
    // read-back fails (last system error stored), BLK_HEADER_IO_ERROR, BLK_VERIFY_FAILED when
    // the drive gives back other bytes (the manager's lastFailure names the sector); after a
    // failure the block may be damaged (*began tells whether a write was tried). *written
    // counts the sectors written, the header included.
    int Commit(uint32_t* written, bool* began);

private:
    bool SectorChanged(uint32_t sector) const;

    BlockManager& m_;
    uint32_t block_ = 0;
    FloppyFormat format_ = FormatOther;
    std::vector<uint8_t> asRead_;
};
