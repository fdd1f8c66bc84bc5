// Cluster chains through the run table: loading it from a chain (with a bound that stops a
// looping or broken chain), moving the position, reading chain sectors, growing a chain,
// writing the table's chain into the FAT, freeing a chain and stepping back a directory sector.
#include <algorithm>

#include "fatfs/file_engine.h"

// Starts a walk of the chain at firstCluster (0: no cluster). FS_OK or FS_READ_ERROR.
FsStatus FileEngine::LoadRunTable(uint32_t firstCluster) {
    runs_ = ClusterRunTable{};
    if (firstCluster == 0) {
        runs_.endOfChain = true;
        return FS_OK;
    }
    if (!IsValidCluster(firstCluster)) {
        runs_.endOfChain = true;
        runs_.damaged = true;
        return FS_OK;
    }
    runs_.runs[0] = ClusterRun{firstCluster, 1};
    runs_.clustersWalked = 1;
    return ContinueRunTable();
}

// Refills the table from its last cluster on, which becomes slot 0 again (already walked).
// A link that is neither an end mark nor a cluster of the volume, or a walk longer than the
// volume can hold, ends the chain as damaged. FS_OK or FS_READ_ERROR.
FsStatus FileEngine::ContinueRunTable() {
    uint32_t cluster = TableLastCluster();
    runs_.runs[0] = ClusterRun{cluster, 1};
    runs_.runs[1] = ClusterRun{};
    runs_.lastSlot = 0;
    runs_.endOfChain = false;
    uint8_t slot = 0;
    for (;;) {
        uint32_t next;
        FsStatus status = ReadFatEntry(cluster, &next);
        if (status != FS_OK) return status;
        if (IsEndOfChain(next)) {
            runs_.endOfChain = true;
            break;
        }
        if (!IsValidCluster(next) || runs_.clustersWalked >= volume_.walkLimit) {
            runs_.endOfChain = true;
            runs_.damaged = true;
            break;
        }
        ClusterRun& run = runs_.runs[slot];
        if (next == cluster + 1 && run.length < kMaxRunLength) {
            ++run.length;
        } else if (slot == 1) {
            break;
        } else {
            slot = 1;
            runs_.runs[1] = ClusterRun{next, 1};
        }
        ++runs_.clustersWalked;
        cluster = next;
    }
    runs_.lastSlot = slot;
    return FS_OK;
}

uint32_t FileEngine::TableLastCluster() const {
    const ClusterRun& run = runs_.runs[runs_.lastSlot];
    return run.length == 0 ? 0 : run.first + run.length - 1;
}

bool FileEngine::PastTable() const {
    return file_.position.run > runs_.lastSlot || runs_.runs[file_.position.run].length == 0;
}

// Saturates instead of wrapping, so that a damaged layout yields a sector the transfers refuse.
uint32_t FileEngine::ClusterSector(uint32_t cluster, uint32_t sectorInCluster) const {
    uint64_t sector =
        volume_.dataStart + static_cast<uint64_t>(cluster - 2) * volume_.sectorsPerCluster + sectorInCluster;
    return sector > kNoSector ? kNoSector : static_cast<uint32_t>(sector);
}

uint32_t FileEngine::PositionSector() const {
    const ChainPosition& p = file_.position;
    return ClusterSector(runs_.runs[p.run].first + p.cluster, p.sector);
}

// Contiguous sectors from the position to the end of its run.
uint32_t FileEngine::SectorsLeftInRun() const {
    const ChainPosition& p = file_.position;
    return (runs_.runs[p.run].length - p.cluster) * static_cast<uint32_t>(volume_.sectorsPerCluster) - p.sector;
}

// Moves on by sectors; a position past the last run of the table is left just past it.
void FileEngine::Advance(uint32_t sectors) {
    ChainPosition& p = file_.position;
    const uint32_t perCluster = volume_.sectorsPerCluster;
    while (sectors > 0 && !PastTable()) {
        uint32_t leftInCluster = perCluster - p.sector;
        if (sectors < leftInCluster) {
            p.sector = static_cast<uint8_t>(p.sector + sectors);
            return;
        }
        sectors -= leftInCluster;
        p.sector = 0;
        if (++p.cluster == runs_.runs[p.run].length) {
            p.cluster = 0;
            ++p.run;
        }
    }
}

// One sector back; only called right after the position moved over that sector.
void FileEngine::StepBack() {
    ChainPosition& p = file_.position;
    if (p.sector > 0) {
        --p.sector;
        return;
    }
    p.sector = static_cast<uint8_t>(volume_.sectorsPerCluster - 1);
    if (p.cluster > 0) {
        --p.cluster;
        return;
    }
    if (p.run == 0) return;
    --p.run;
    p.cluster = static_cast<uint8_t>(runs_.runs[p.run].length - 1);
}

// After a reload the table starts with the cluster walked last; the position skips it.
void FileEngine::RewindPastFirstCluster() {
    file_.position = ChainPosition{};
    Advance(volume_.sectorsPerCluster);
}

// Makes the position name a sector of the chain: reloads the table when the chain goes on,
// or, when it ends there and extendSectors is not 0, chains enough new clusters for that many
// sectors after its last cluster. FS_OK, FS_END_OF_CHAIN (the chain ends, or is damaged and
// cannot grow), FS_DISK_FULL, FS_READ_ERROR or FS_WRITE_ERROR.
FsStatus FileEngine::ReachNextSector(uint32_t extendSectors) {
    if (!PastTable()) return FS_OK;
    if (runs_.runs[0].length == 0) return FS_END_OF_CHAIN;
    FsStatus status;
    if (!runs_.endOfChain) {
        status = ContinueRunTable();
        if (status != FS_OK) return status;
        RewindPastFirstCluster();
        if (!PastTable()) return FS_OK;
    }
    if (extendSectors == 0 || runs_.damaged) return FS_END_OF_CHAIN;
    uint32_t perCluster = volume_.sectorsPerCluster;
    uint32_t clusters = (extendSectors + perCluster - 1) / perCluster;
    uint32_t added;
    status = AllocateClusters(clusters, true, &added);
    if (status == FS_OK) status = WriteTableChain(added);
    if (status != FS_OK) return status;
    RewindPastFirstCluster();
    return PastTable() ? FS_END_OF_CHAIN : FS_OK;
}

// Reads up to count sectors of the chain from the position into buffer, one transfer per
// contiguous stretch, reloading the table as the chain goes on; stops early at the chain's
// end. FS_OK (with *read possibly below count) or FS_READ_ERROR.
FsStatus FileEngine::ReadChainSectors(uint32_t count, uint8_t* buffer, uint32_t* read) {
    *read = 0;
    while (*read < count) {
        FsStatus status = ReachNextSector(0);
        if (status == FS_END_OF_CHAIN) break;
        if (status != FS_OK) return status;
        uint32_t take = std::min(count - *read, SectorsLeftInRun());
        uint32_t sector = PositionSector();
        status = ReadWithRetry(sector, take, buffer + static_cast<size_t>(*read) * kSectorSize);
        if (status != FS_OK) return status;
        file_.currentSector = sector + take - 1;
        Advance(take);
        *read += take;
    }
    return FS_OK;
}

// Writes the table's runs into the FAT, each linked to the next and the last marked end of
// chain; a continued table thereby relinks the chain's former last cluster. added is the
// number of new clusters. FS_OK, FS_READ_ERROR or FS_WRITE_ERROR.
FsStatus FileEngine::WriteTableChain(uint32_t added) {
    for (uint8_t slot = 0; slot <= runs_.lastSlot; ++slot) {
        const ClusterRun& run = runs_.runs[slot];
        if (run.length == 0) continue;
        uint32_t final = slot < runs_.lastSlot ? runs_.runs[slot + 1].first : EndOfChainMark();
        FsStatus status = WriteFatRun(run.first, run.length, final, false);
        if (status != FS_OK) return status;
    }
    return NoteClustersAllocated(added);
}

// Frees a chain table by table; the last cluster of a table that does not reach the end stays
// linked until the next table has been read from it. FS_OK, FS_READ_ERROR or FS_WRITE_ERROR.
FsStatus FileEngine::FreeChain(uint32_t firstCluster) {
    FsStatus status = LoadRunTable(firstCluster);
    uint32_t freed = 0;
    while (status == FS_OK) {
        for (uint8_t slot = 0; slot < runs_.lastSlot && status == FS_OK; ++slot) {
            status = WriteFatRun(runs_.runs[slot].first, runs_.runs[slot].length, 0, true);
            freed += runs_.runs[slot].length;
        }
        if (status != FS_OK) break;
        const ClusterRun last = runs_.runs[runs_.lastSlot];
        if (runs_.endOfChain) {
            if (last.length > 0) status = WriteFatRun(last.first, last.length, 0, true);
            freed += last.length;
            break;
        }
        if (last.length > 1) status = WriteFatRun(last.first, last.length - 1u, 0, true);
        freed += last.length - 1u;
        if (status == FS_OK) status = ContinueRunTable();
    }
    if (status != FS_OK) return status;
    if (freed == 0) return FS_OK;
    return NoteClustersFreed(freed, firstCluster);
}

// The directory sector before sector, for reading long-name entries backwards: the sector
// before in the root area or in the same cluster, or else the last sector of the cluster whose
// entry points here. *found is false at the directory's start. FS_OK or FS_READ_ERROR.
FsStatus FileEngine::PrecedingSector(uint32_t sector, uint32_t* previous, bool* found) {
    *found = false;
    if (walk_.fixedRoot) {
        if (sector > volume_.rootStart) {
            *previous = sector - 1;
            *found = true;
        }
        return FS_OK;
    }
    if (sector < volume_.dataStart) return FS_OK;
    uint32_t relative = sector - volume_.dataStart;
    if (relative % volume_.sectorsPerCluster != 0) {
        *previous = sector - 1;
        *found = true;
        return FS_OK;
    }
    uint32_t cluster = relative / volume_.sectorsPerCluster + 2;
    if (cluster == walk_.firstCluster) return FS_OK;
    for (uint32_t c = 2; c <= LastCluster(); ++c) {
        uint32_t next;
        FsStatus status = ReadFatEntry(c, &next);
        if (status != FS_OK) return status;
        if (next == cluster && c != cluster) {
            *previous = ClusterSector(c, volume_.sectorsPerCluster - 1u);
            *found = true;
            return FS_OK;
        }
    }
    return FS_OK;
}
