// Mounting a volume from the slot's first sector, and the sector transfers every other part of
// the engine goes through: three tries each, and never a sector outside the slot.
#include <algorithm>
#include <cstring>

#include "fatfs/byte_order.h"
#include "fatfs/file_engine.h"
#include "fatfs/on_disk.h"

namespace {

constexpr int kTries = 3;
constexpr uint32_t kFat12MaxClusters = 4084;
constexpr uint32_t kFat16MaxClusters = 65524;
constexpr uint32_t kFat32MaxClusters = 0x0FFFFFF5;  // keeps every cluster number below the end marks

// The sector functions do not check bounds in image mode, so the engine refuses anything
// that would leave the slot, whatever a damaged boot sector or FAT asks for.
bool InsideSlot(uint32_t sector, uint32_t count) {
    return count > 0 && sector < kSlotSectors && count <= kSlotSectors - sector;
}

}  // namespace

FileEngine::FileEngine(SectorAccess& sectors) : sectors_(sectors) {}

void FileEngine::ClearCreateLongName() {
    std::memset(createLongName_, 0, sizeof(createLongName_));
}

// Every entry point starts here: the volume may have been rewritten by someone else since the
// last call, so nothing buffered is trusted. FS_OK or FS_NO_VOLUME.
FsStatus FileEngine::StartCall() {
    buffer_.bufferedSector = kNoSector;
    return volume_.fatType == 0 ? FS_NO_VOLUME : FS_OK;
}

// FS_OK or FS_READ_ERROR.
FsStatus FileEngine::ReadWithRetry(uint32_t sector, uint32_t count, void* buffer) {
    if (!InsideSlot(sector, count)) return FS_READ_ERROR;
    for (int attempt = 0; attempt < kTries; ++attempt) {
        if (sectors_.ReadSectors(sector, count, buffer) == 0) return FS_OK;
    }
    return FS_READ_ERROR;
}

// FS_OK or FS_WRITE_ERROR.
FsStatus FileEngine::WriteWithRetry(uint32_t sector, uint32_t count, const void* buffer) {
    if (!InsideSlot(sector, count)) return FS_WRITE_ERROR;
    // A direct transfer over the buffered sector makes the buffer stale.
    if (buffer_.bufferedSector >= sector && buffer_.bufferedSector - sector < count) {
        buffer_.bufferedSector = kNoSector;
    }
    for (int attempt = 0; attempt < kTries; ++attempt) {
        if (sectors_.WriteSectors(sector, count, buffer) == 0) return FS_OK;
    }
    return FS_WRITE_ERROR;
}

// Reads one sector into workBuffer. FS_OK or FS_READ_ERROR.
FsStatus FileEngine::ReadWork(uint32_t sector) {
    buffer_.bufferedSector = kNoSector;
    FsStatus status = ReadWithRetry(sector, 1, buffer_.workBuffer);
    if (status == FS_OK) buffer_.bufferedSector = sector;
    return status;
}

// Writes workBuffer as one sector. FS_OK or FS_WRITE_ERROR.
FsStatus FileEngine::WriteWork(uint32_t sector) {
    buffer_.bufferedSector = kNoSector;
    FsStatus status = WriteWithRetry(sector, 1, buffer_.workBuffer);
    if (status == FS_OK) buffer_.bufferedSector = sector;
    return status;
}

FsStatus FileEngine::fsMount() {
    buffer_.workBuffer = buffer_.own;
    buffer_.bufferedSector = kNoSector;
    return Mount();
}

// FS_OK, FS_READ_ERROR, FS_BAD_PARTITION or FS_NO_VOLUME. A failed mount leaves no volume.
FsStatus FileEngine::Mount() {
    volume_ = VolumeState{};
    file_ = OpenFileState{};
    runs_ = ClusterRunTable{};
    walk_ = DirectoryWalk{};

    FsStatus status = ReadWork(0);
    if (status != FS_OK) return status;
    const uint8_t* boot = buffer_.workBuffer;
    uint32_t partitionStart = 0;
    bool isBootSector =
        boot[kBootJump] == kBootJumpByte && boot[kBootJumpNop] == kBootNopByte && boot[kBpbMedia] >= kLowestMedia;
    if (!isBootSector) {
        uint8_t indicator = boot[kMbrBootIndicator];
        if (indicator != 0x80 && indicator != 0x00) return FS_BAD_PARTITION;
        partitionStart = Load32(boot + kMbrPartitionStart);
        if (partitionStart != 0) {
            status = ReadWork(partitionStart);
            if (status != FS_OK) return status;
        }
    }

    uint8_t sectorsPerCluster = boot[kBpbSectorsPerCluster];
    if (sectorsPerCluster == 0) return FS_NO_VOLUME;
    uint32_t reserved = Load16(boot + kBpbReservedSectors);
    uint32_t fatCount = boot[kBpbFatCount];
    uint32_t rootSectors = Load16(boot + kBpbRootEntries) / 16;
    uint32_t totalSectors = Load16(boot + kBpbTotalSectors16);
    if (totalSectors == 0) totalSectors = Load32(boot + kBpbTotalSectors32);
    uint32_t fatSize = Load16(boot + kBpbFatSize16);
    if (fatSize == 0) fatSize = Load32(boot + kBpbFatSize32);

    // 64-bit so that a damaged boot sector cannot wrap its way to a small, plausible layout.
    int64_t fatArea = static_cast<int64_t>(fatSize) * fatCount;
    int64_t dataSectors = static_cast<int64_t>(totalSectors) - reserved - fatArea - rootSectors;
    if (dataSectors <= 0) return FS_NO_VOLUME;
    uint64_t clusters = static_cast<uint64_t>(dataSectors) / sectorsPerCluster;
    if (clusters == 0) return FS_NO_VOLUME;

    uint8_t fatType = clusters <= kFat12MaxClusters ? 1 : clusters <= kFat16MaxClusters ? 2 : 3;
    uint64_t fatStart = static_cast<uint64_t>(partitionStart) + reserved;
    uint64_t rootStart = 0;
    uint64_t dataStart = 0;
    if (fatType != 3) {
        rootStart = fatStart + static_cast<uint64_t>(fatArea);
        dataStart = rootStart + rootSectors;
    } else {
        clusters = std::min<uint64_t>(clusters, kFat32MaxClusters);
        rootStart = Load32(boot + kBpbRootCluster32);
        dataStart = fatStart + static_cast<uint64_t>(fatArea);
    }
    if (fatStart > UINT32_MAX || dataStart > UINT32_MAX || (fatType != 3 && rootStart > UINT32_MAX)) {
        return FS_NO_VOLUME;
    }

    VolumeState v;
    v.bytesPerSector = kSectorSize;
    v.sectorsPerCluster = sectorsPerCluster;
    v.fatStart = static_cast<uint32_t>(fatStart);
    v.fatSize = fatSize;
    v.secondFat = fatCount == 2;
    v.rootStart = static_cast<uint32_t>(rootStart);
    v.dataStart = static_cast<uint32_t>(dataStart);
    v.clusterCount = static_cast<uint32_t>(clusters);
    v.nextFreeHint = 2;
    uint32_t slotClusters = 0;
    if (v.dataStart < kSlotSectors)
        slotClusters = (kSlotSectors - v.dataStart + sectorsPerCluster - 1) / sectorsPerCluster;
    v.walkLimit = std::min(v.clusterCount, slotClusters);

    if (fatType == 3) {
        // An information sector field of 0 or 0xFFFF means there is none; 0 would be the boot sector.
        uint32_t infoField = Load16(boot + kBpbInfoSector32);
        if (infoField != 0 && infoField != 0xFFFF) {
            v.infoSector = partitionStart + infoField;
            status = ReadWork(v.infoSector);
            if (status != FS_OK) return status;
            v.infoFreeCount = Load32(buffer_.workBuffer + kInfoFreeCount);
            uint32_t nextFree = Load32(buffer_.workBuffer + kInfoNextFree);
            if (nextFree >= 2 && nextFree <= v.clusterCount + 1) v.nextFreeHint = nextFree;
        }
    }

    v.fatType = fatType;
    volume_ = v;
    file_.closed = 1;
    return FS_OK;
}
