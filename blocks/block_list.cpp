// The block list: one row per block of the drive with its serial number, capacity, used
// share and renew time, filled for the whole drive or refreshed for one block.
#include <cstdio>

#include "app/texts.h"
#include "blocks/block_manager.h"
#include "blocks/usage_text.h"

namespace {

enum Column { kSerialColumn = 0, kCapacityColumn = 1, kUsedColumn = 2, kRenewColumn = 3 };

std::wstring SerialText(uint32_t blockIndex) {
    return FormatText(L"%03d", {blockIndex});
}

}  // namespace

std::wstring CapacityText(uint32_t dataSectors) {
    uint32_t bytes = dataSectors * 512u;
    if (bytes <= 1048576u) return FormatTextId(kTextCapacityKB, {bytes / 1024.0});
    return FormatTextId(kTextCapacityMB, {bytes / 1048576.0});
}

std::wstring UsedText(uint32_t totalSectors, uint32_t freeSectors) {
    if (totalSectors == 0) return TextById(kTextNotAvailable);
    double used = static_cast<double>(totalSectors) - static_cast<double>(freeSectors);
    return FormatTextId(kTextUsedPercent, {used / totalSectors * 100.0});
}

// Always 0: a block that cannot be read or mounted shows "n/a" and the listing goes on.
int BlockManager::EnumerateBlocks(uint32_t lastSector, int updateOnly) {
    bool rebuild = updateOnly == 0;
    if (rebuild) frontEnd_.DeleteAllRows();
    uint32_t count = CountBlocks(lastSector);
    frontEnd_.SetAutoArrange(false);
    for (uint32_t i = 0; i < count; ++i) {
        // An unreadable head shows as "n/a", never as the figures of the block read before.
        DiskInfo info{};
        int status = ReadBlockHead(i);
        sectors_.UseImageMode();
        if (status == BLK_OK) status = engine_.fsMount();
        if (status == FS_OK && engine_.fatType() != 1) status = BLK_NOT_FAT12;
        if (status == FS_OK) status = engine_.fsDiskQuery(&info);

        frontEnd_.SetStatusText(FormatTextId(kTextEnumerating, {i}));
        int row = static_cast<int>(i);
        if (rebuild)
            frontEnd_.InsertRow(row, SerialText(i));
        else
            frontEnd_.SetCell(row, kSerialColumn, SerialText(i));
        frontEnd_.SetCell(row, kCapacityColumn,
                          status != 0 ? TextById(kTextNotAvailable) : CapacityText(info.totalSectors));
        frontEnd_.SetCell(row, kUsedColumn,
                          status != 0 ? TextById(kTextNotAvailable) : UsedText(info.totalSectors, info.freeSectors));

        std::wstring renew;
        sectors_.UseDriveMode();
        ReadUpdateTime(&renew);  // empty when the header cannot be read or carries no stamp
        frontEnd_.SetCell(row, kRenewColumn, renew);
    }
    frontEnd_.SetAutoArrange(true);
    return BLK_OK;
}

// Returns 0, or 1 when the header in the block image cannot be read (the renew time is then
// left as it was).
int BlockManager::RefreshBlockRow(int row) {
    sectors_.UseImageMode();
    DiskInfo info{};
    bool ok = engine_.fsMount() == FS_OK && engine_.fatType() == 1 && engine_.fsDiskQuery(&info) == FS_OK;
    frontEnd_.SetCell(row, kCapacityColumn, ok ? CapacityText(info.totalSectors) : TextById(kTextNotAvailable));
    frontEnd_.SetCell(row, kUsedColumn,
                      ok ? UsedText(info.totalSectors, info.freeSectors) : TextById(kTextNotAvailable));
    std::wstring renew;
    if (ReadUpdateTime(&renew) != BLK_OK) return BLK_HEADER_IO_ERROR;
    frontEnd_.SetCell(row, kRenewColumn, renew);
    return BLK_OK;
}
