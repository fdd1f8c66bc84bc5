// Writing back only what an in-place change touched, and checking it on the drive.
#include "blocks/block_edit.h"

#include <cstring>


int BlockEdit::Load(uint32_t block) {
    block_ = block;
    int status = m_.LoadBlockImage(block, &format_);
    if (status != BLK_OK) return status;
    const uint8_t* image = m_.sectors().blockImage();
    asRead_.assign(image, image + VolumeSectors(format_) * kSectorSize);
    return BLK_OK;
}

bool BlockEdit::SectorChanged(uint32_t sector) const {
    const uint8_t* image = m_.sectors().blockImage() + sector * kSectorSize;
    return std::memcmp(image, asRead_.data() + sector * kSectorSize, kSectorSize) != 0;
}

uint32_t BlockEdit::ChangedSectors() const {
    uint32_t count = 0;
    for (uint32_t s = 0; s < asRead_.size() / kSectorSize; ++s)
        if (SectorChanged(s)) ++count;
    return count;
}

int BlockEdit::Commit(uint32_t* written, bool* began) {
    *written = 0;
    *began = false;
    SectorAccess& sectors = m_.sectors();
    const uint8_t* image = sectors.blockImage();
    const uint32_t total = static_cast<uint32_t>(asRead_.size() / kSectorSize);
    struct Run {
        uint32_t first, count;
    };
    std::vector<Run> runs;
    for (uint32_t s = 0; s < total; ++s) {
        if (!SectorChanged(s)) continue;
        if (!runs.empty() && runs.back().first + runs.back().count == s)
            ++runs.back().count;
        else
            runs.push_back({s, 1});
    }
    if (runs.empty()) return BLK_OK;

    m_.lastFailure = BlockFailure();
    m_.lastFailure.block = block_;
    sectors.SetBlockIndex(block_);
    *began = true;
    int status = BLK_OK;
    for (const Run& run : runs) {
        status = m_.WriteSlotSectors(run.first, run.count, image + run.first * kSectorSize);
        if (status != BLK_OK) break;
        *written += run.count;
    }
    if (status == BLK_OK) {
        status = m_.StampUpdateTime(nullptr, block_);
        if (status == BLK_OK) ++*written;
    }
    sectors.UseImageMode();
    if (status == BLK_OK) asRead_.assign(image, image + asRead_.size());
    return status;
}
