// Writes to a block's slot, checked: what was written is read back from the drive itself (not
// from a cache) and compared, so that a stick that takes data without keeping it is caught
// while the user still has the source.
#include <cstring>

#include "app/texts.h"
#include "blocks/block_manager.h"

int BlockManager::WriteSlotSectors(uint32_t sector, uint32_t count, const void* data) {
    sectors_.UseDriveMode();
    if (sectors_.WriteSectors(sector, count, data) != 0) {
        NoteFailure(0, std::wstring(), true);
        return BLK_WIN_ERROR;
    }
    if (verifyWrites == 0) return BLK_OK;
    if (sectors_.SyncForReadBack(sector, count) != 0 || sectors_.ReadSectors(sector, count, fileBuffer) != 0) {
        NoteFailure(0, std::wstring(), true);
        return BLK_WIN_ERROR;
    }
    const uint8_t* wanted = static_cast<const uint8_t*>(data);
    for (uint32_t s = 0; s < count; ++s) {
        if (std::memcmp(fileBuffer + size_t{s} * kSectorSize, wanted + size_t{s} * kSectorSize, kSectorSize) == 0)
            continue;
        lastFailure.detail = FormatTextId(kTextCauseVerify, {sector + s});
        lastFailure.mayBeDamaged = true;
        return BLK_VERIFY_FAILED;
    }
    return BLK_OK;
}
