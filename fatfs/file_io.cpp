// Reading and writing the open file: partial sectors at either end go through workBuffer,
// whole sectors move straight between the caller's buffer and the disk, up to 255 sectors per
// transfer and one transfer per contiguous run.
#include <algorithm>
#include <cstring>

#include "fatfs/file_engine.h"
#include "fatfs/on_disk.h"

namespace {

// Directories and volume labels (every long-name attribute included) hold no file data.
bool HoldsNoData(uint8_t attribute) {
    return (attribute & (kAttrVolumeLabel | kAttrDirectory)) != 0;
}

}  // namespace

FsStatus FileEngine::fsReadBytes(void* buffer, uint32_t* count) {
    FsStatus status = StartCall();
    if (status != FS_OK) return status;
    if (file_.closed) return FS_NOT_OPEN;
    if (count == nullptr || HoldsNoData(file_.attribute)) return FS_BAD_NAME;
    uint32_t wanted = *count;
    *count = 0;
    if (wanted == 0 || file_.bytePosition >= file_.fileSize) return FS_OK;
    if (buffer == nullptr) return FS_BAD_NAME;
    wanted = std::min(wanted, file_.fileSize - file_.bytePosition);
    buffer_.transferBuffer = static_cast<uint8_t*>(buffer);
    uint8_t* out = buffer_.transferBuffer;
    uint32_t done = 0;
    bool ended = false;

    // Reads the sector at the position into workBuffer and copies `bytes` from `from` on.
    auto partialSector = [&](uint32_t from, uint32_t bytes) -> FsStatus {
        FsStatus s = ReachNextSector(0);
        if (s != FS_OK) return s;
        uint32_t sector = PositionSector();
        s = ReadWork(sector);
        if (s != FS_OK) return s;
        file_.currentSector = sector;
        Advance(1);
        std::memcpy(out + done, buffer_.workBuffer + from, bytes);
        done += bytes;
        file_.sectorOffset = static_cast<uint16_t>((from + bytes) % kSectorSize);
        // Ending inside the sector: the next read starts by reading it again.
        if (file_.sectorOffset != 0) StepBack();
        return FS_OK;
    };

    if (file_.sectorOffset != 0) {
        status = partialSector(file_.sectorOffset, std::min<uint32_t>(wanted, kSectorSize - file_.sectorOffset));
        ended = status != FS_OK;
    }
    while (!ended && wanted - done >= kSectorSize) {
        uint32_t sectors = std::min((wanted - done) / kSectorSize, kMaxTransferSectors);
        uint32_t read;
        status = ReadChainSectors(sectors, out + done, &read);
        done += read * kSectorSize;
        ended = status != FS_OK || read < sectors;
    }
    if (!ended && wanted > done) status = partialSector(0, wanted - done);

    file_.bytePosition += done;
    *count = done;
    // The chain ending before the size does is not an error: the read returns what there is.
    return status == FS_END_OF_CHAIN ? FS_OK : status;
}

FsStatus FileEngine::fsWriteBytes(const void* buffer, uint32_t* count) {
    FsStatus status = StartCall();
    if (status != FS_OK) return status;
    if (file_.closed) return FS_NOT_OPEN;
    if (count == nullptr || HoldsNoData(file_.attribute)) return FS_BAD_NAME;
    uint32_t wanted = *count;
    *count = 0;
    if (wanted == 0) return FS_OK;
    if (buffer == nullptr) return FS_BAD_NAME;
    if (runs_.damaged) return FS_END_OF_CHAIN;
    // A write must not run the size past 4 GiB.
    wanted = std::min(wanted, UINT32_MAX - file_.bytePosition);
    const uint8_t* in = static_cast<const uint8_t*>(buffer);

    if (file_.firstCluster == 0) {
        uint32_t added;
        status = AllocateClusters(1, false, &added);
        if (status == FS_OK) status = SetEntryCluster(runs_.runs[0].first, 0, false);
        if (status == FS_OK) status = WriteTableChain(added);
        if (status != FS_OK) return status;
        file_.firstCluster = runs_.runs[0].first;
        file_.position = ChainPosition{};
    }

    uint32_t done = 0;
    // Read-modify-write of the sector at the position, `bytes` from `from` on; the chain grows
    // by one cluster when it ends there.
    auto partialSector = [&](uint32_t from, uint32_t bytes) -> FsStatus {
        FsStatus s = ReachNextSector(1);
        if (s != FS_OK) return s;
        uint32_t sector = PositionSector();
        s = ReadWork(sector);
        if (s != FS_OK) return s;
        std::memcpy(buffer_.workBuffer + from, in + done, bytes);
        s = WriteWork(sector);
        if (s != FS_OK) return s;
        file_.currentSector = sector;
        done += bytes;
        file_.sectorOffset = static_cast<uint16_t>((from + bytes) % kSectorSize);
        // Ending inside the sector leaves the position on it, as a read does.
        if (file_.sectorOffset == 0) Advance(1);
        return FS_OK;
    };

    if (file_.sectorOffset != 0) {
        status = partialSector(file_.sectorOffset, std::min<uint32_t>(wanted, kSectorSize - file_.sectorOffset));
    }
    while (status == FS_OK && wanted - done >= kSectorSize) {
        uint32_t sectorsLeft = (wanted - done) / kSectorSize;
        status = ReachNextSector(sectorsLeft);
        if (status != FS_OK) break;
        uint32_t sectors = std::min({sectorsLeft, SectorsLeftInRun(), kMaxTransferSectors});
        uint32_t sector = PositionSector();
        status = WriteWithRetry(sector, sectors, in + done);
        if (status != FS_OK) break;
        file_.currentSector = sector + sectors - 1;
        Advance(sectors);
        done += sectors * kSectorSize;
    }
    if (status == FS_OK && wanted > done) status = partialSector(0, wanted - done);

    file_.bytePosition += done;
    if (file_.bytePosition > file_.fileSize) {
        file_.fileSize = file_.bytePosition;
        file_.sizeChanged = true;
    }
    *count = done;
    return status;
}
