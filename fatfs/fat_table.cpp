// FAT entries: reading and writing them (FAT12 entries straddle sector ends), writing runs of
// entries to both FAT copies, and the free-cluster scan behind allocation and free counts.
#include "fatfs/byte_order.h"
#include "fatfs/file_engine.h"
#include "fatfs/on_disk.h"

namespace {

uint32_t EntryMask(uint8_t fatType) {
    return fatType == 1 ? 0xFFF : fatType == 2 ? 0xFFFF : 0x0FFFFFFF;
}

}  // namespace

bool FileEngine::IsEndOfChain(uint32_t value) const {
    switch (volume_.fatType) {
        case 1: return value >= 0xFF7;
        case 2: return value >= 0xFFF7;
        default: return value >= 0x0FFFFFF7;
    }
}

uint32_t FileEngine::EndOfChainMark() const {
    return EntryMask(volume_.fatType);
}

// Finds the FAT sector holding the first byte of the entry and the byte's offset in it. An
// entry that would lie beyond the FAT's own size is refused: FS_OK or FS_READ_ERROR.
FsStatus FileEngine::LocateFatEntry(uint32_t cluster, uint32_t* sector, uint32_t* offset) {
    uint64_t byteOffset;
    uint32_t width;
    switch (volume_.fatType) {
        case 1: byteOffset = cluster + cluster / 2, width = 2; break;
        case 2: byteOffset = static_cast<uint64_t>(cluster) * 2, width = 2; break;
        default: byteOffset = static_cast<uint64_t>(cluster) * 4, width = 4; break;
    }
    if ((byteOffset + width - 1) / kSectorSize >= volume_.fatSize) return FS_READ_ERROR;
    uint64_t absolute = volume_.fatStart + byteOffset / kSectorSize;
    if (absolute >= kSlotSectors) return FS_READ_ERROR;
    *sector = static_cast<uint32_t>(absolute);
    *offset = static_cast<uint32_t>(byteOffset % kSectorSize);
    return FS_OK;
}

// Brings a FAT sector into workBuffer unless it is already there. FS_OK or FS_READ_ERROR.
FsStatus FileEngine::ReadFatSector(uint32_t sector) {
    if (buffer_.bufferedSector == sector) return FS_OK;
    return ReadWork(sector);
}

// Writes workBuffer to the first FAT and, when present, to the second. FS_OK or FS_WRITE_ERROR.
FsStatus FileEngine::WriteFatSector(uint32_t sector) {
    FsStatus status = WriteWork(sector);
    if (status != FS_OK || !volume_.secondFat) return status;
    uint64_t mirror = static_cast<uint64_t>(sector) + volume_.fatSize;
    if (mirror >= kSlotSectors) return FS_WRITE_ERROR;
    return WriteWithRetry(static_cast<uint32_t>(mirror), 1, buffer_.workBuffer);
}

// FS_OK or FS_READ_ERROR.
FsStatus FileEngine::ReadFatEntry(uint32_t cluster, uint32_t* value) {
    uint32_t sector, offset;
    FsStatus status = LocateFatEntry(cluster, &sector, &offset);
    if (status == FS_OK) status = ReadFatSector(sector);
    if (status != FS_OK) return status;
    const uint8_t* fat = buffer_.workBuffer;
    if (volume_.fatType == 2) {
        *value = Load16(fat + offset);
        return FS_OK;
    }
    if (volume_.fatType == 3) {
        *value = Load32(fat + offset) & 0x0FFFFFFF;
        return FS_OK;
    }
    uint32_t low = fat[offset];
    uint32_t high;
    if (offset == kSectorSize - 1) {
        // Straddles: the rest of the entry is byte 0 of the next FAT sector.
        status = ReadFatSector(sector + 1);
        if (status != FS_OK) return status;
        high = buffer_.workBuffer[0];
    } else {
        high = fat[offset + 1];
    }
    *value = (cluster & 1) ? (low >> 4) | (high << 4) : low | ((high & 0x0F) << 8);
    return FS_OK;
}

// Writes count entries from first: 0 each in free mode; otherwise each links to the next and
// the last holds finalValue. Each FAT sector is written to both copies when the run leaves it.
// FS_OK, FS_READ_ERROR or FS_WRITE_ERROR; sectors written before a failure stay written.
FsStatus FileEngine::WriteFatRun(uint32_t first, uint32_t count, uint32_t finalValue, bool freeMode) {
    const uint32_t mask = EntryMask(volume_.fatType);
    bool dirty = false;
    uint32_t dirtySector = kNoSector;
    FsStatus status = FS_OK;
    for (uint32_t k = 0; k < count && status == FS_OK; ++k) {
        uint32_t cluster = first + k;
        uint32_t value = freeMode ? 0 : (k + 1 == count ? finalValue & mask : cluster + 1);
        uint32_t sector, offset;
        status = LocateFatEntry(cluster, &sector, &offset);
        if (status != FS_OK) break;
        if (dirty && sector != dirtySector) {
            status = WriteFatSector(dirtySector);
            dirty = false;
            if (status != FS_OK) break;
        }
        status = ReadFatSector(sector);
        if (status != FS_OK) break;
        uint8_t* fat = buffer_.workBuffer;
        dirty = true;
        dirtySector = sector;
        if (volume_.fatType == 2) {
            Store16(fat + offset, static_cast<uint16_t>(value));
        } else if (volume_.fatType == 3) {
            Store32(fat + offset, (Load32(fat + offset) & 0xF0000000) | value);
        } else {
            bool odd = cluster & 1;
            uint8_t lowByte =
                odd ? static_cast<uint8_t>((fat[offset] & 0x0F) | ((value << 4) & 0xF0)) : static_cast<uint8_t>(value);
            fat[offset] = lowByte;
            if (offset == kSectorSize - 1) {
                status = WriteFatSector(sector);
                if (status == FS_OK) status = ReadFatSector(sector + 1);
                if (status != FS_OK) break;
                fat = buffer_.workBuffer;
                offset = 0;
                dirtySector = sector + 1;
            } else {
                offset += 1;
            }
            fat[offset] = odd ? static_cast<uint8_t>(value >> 4)
                              : static_cast<uint8_t>((fat[offset] & 0xF0) | ((value >> 8) & 0x0F));
        }
    }
    if (status == FS_OK && dirty) status = WriteFatSector(dirtySector);
    // A failure can leave changes in the buffer that never reached the disk.
    if (status != FS_OK) buffer_.bufferedSector = kNoSector;
    return status;
}

// Cluster 0 and 1 are never scanned, whatever a damaged FAT holds in their entries. FAT16 and
// FAT32 start at the next-free hint when it lies on the volume.
uint32_t FileEngine::ScanStart(uint32_t from) const {
    if (from < 2) from = 2;
    if (volume_.fatType != 1 && volume_.nextFreeHint < volume_.clusterCount + 2) return volume_.nextFreeHint;
    return from;
}

// The first free cluster, or 1 when there is none. FS_OK or FS_READ_ERROR.
FsStatus FileEngine::FindFirstFree(uint32_t* cluster) {
    *cluster = 1;
    for (uint32_t c = ScanStart(2); c <= LastCluster(); ++c) {
        uint32_t value;
        FsStatus status = ReadFatEntry(c, &value);
        if (status != FS_OK) return status;
        if (value == 0) {
            *cluster = c;
            return FS_OK;
        }
    }
    return FS_OK;
}

// FS_OK or FS_READ_ERROR.
FsStatus FileEngine::CountFree(uint32_t* count) {
    *count = 0;
    if (volume_.fatType == 3 && volume_.infoSector != 0 && volume_.infoFreeCount < volume_.clusterCount + 2) {
        *count = volume_.infoFreeCount;
        return FS_OK;
    }
    for (uint32_t c = ScanStart(2); c <= LastCluster(); ++c) {
        uint32_t value;
        FsStatus status = ReadFatEntry(c, &value);
        if (status != FS_OK) return status;
        if (value == 0) ++*count;
    }
    return FS_OK;
}

// Fills the run table with up to wanted free clusters, fresh or (continueChain) after the
// table's last cluster, which then opens slot 0. Stops early, successfully, when the table
// cannot take the next free cluster; the FAT is not touched. FS_OK, FS_DISK_FULL (the end of
// the FAT came first; nothing before the start is looked at) or FS_READ_ERROR.
FsStatus FileEngine::AllocateClusters(uint32_t wanted, bool continueChain, uint32_t* allocated) {
    *allocated = 0;
    uint32_t from = 2;
    if (continueChain) {
        uint32_t last = TableLastCluster();
        runs_.runs[0] = ClusterRun{last, 1};
        from = last + 1;
    } else {
        runs_.runs[0] = ClusterRun{};
    }
    runs_.runs[1] = ClusterRun{};
    runs_.lastSlot = 0;
    runs_.endOfChain = true;
    runs_.damaged = false;

    uint32_t got = 0;
    bool tableFull = false;
    for (uint32_t c = ScanStart(from); c <= LastCluster() && got < wanted; ++c) {
        uint32_t value;
        FsStatus status = ReadFatEntry(c, &value);
        if (status != FS_OK) return status;
        if (value != 0) continue;
        ClusterRun& run = runs_.runs[runs_.lastSlot];
        if (run.length == 0) {
            run = ClusterRun{c, 1};
        } else if (c == run.first + run.length && run.length < kMaxRunLength) {
            ++run.length;
        } else if (runs_.lastSlot == 0) {
            runs_.lastSlot = 1;
            runs_.runs[1] = ClusterRun{c, 1};
        } else {
            tableFull = true;  // the writer asks again for the rest
            break;
        }
        ++got;
    }
    *allocated = got;
    if (got < wanted && !tableFull) return FS_DISK_FULL;
    runs_.clustersWalked += got;
    return FS_OK;
}

// After clusters were chained: the hint moves past the table's last run, and on FAT32 the
// information sector follows. FS_OK, FS_READ_ERROR or FS_WRITE_ERROR.
FsStatus FileEngine::NoteClustersAllocated(uint32_t count) {
    const ClusterRun& last = runs_.runs[runs_.lastSlot];
    volume_.nextFreeHint = last.first + last.length;
    if (volume_.fatType != 3 || volume_.infoSector == 0) return FS_OK;
    FsStatus status = ReadWork(volume_.infoSector);
    if (status != FS_OK) return status;
    uint8_t* info = buffer_.workBuffer;
    uint32_t free = Load32(info + kInfoFreeCount);
    if (free != kInfoUnknown) free = free >= count ? free - count : 0;
    Store32(info + kInfoFreeCount, free);
    Store32(info + kInfoNextFree, volume_.nextFreeHint);
    volume_.infoFreeCount = free;
    return WriteWork(volume_.infoSector);
}

// After a chain was freed: the hint may move back to its first cluster, and on FAT32 the
// information sector's free count grows. FS_OK, FS_READ_ERROR or FS_WRITE_ERROR.
FsStatus FileEngine::NoteClustersFreed(uint32_t count, uint32_t firstFreed) {
    if (firstFreed < volume_.nextFreeHint) volume_.nextFreeHint = firstFreed;
    if (volume_.fatType != 3 || volume_.infoSector == 0) return FS_OK;
    FsStatus status = ReadWork(volume_.infoSector);
    if (status != FS_OK) return status;
    uint8_t* info = buffer_.workBuffer;
    uint32_t free = Load32(info + kInfoFreeCount);
    if (free != kInfoUnknown) free += count;
    Store32(info + kInfoFreeCount, free);
    volume_.infoFreeCount = free;
    return WriteWork(volume_.infoSector);
}
