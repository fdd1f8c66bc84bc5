// New directory entries: choosing a run of free slots big enough for a long-name set and its
// short entry, growing a subdirectory by cleared clusters, writing the set, and the "." and
// ".." entries of a new directory.
#include <cstring>

#include "fatfs/byte_order.h"
#include "fatfs/file_engine.h"
#include "fatfs/long_name.h"
#include "fatfs/on_disk.h"

// Finds where `wanted` consecutive entries can go in the directory. In order of preference:
// from the end marker on; the first run of deleted (or trailing) entries long enough. In the
// fixed root area nothing else is possible (FS_ROOT_FULL); in a cluster chain *run then holds
// the free entries at the chain's end (perhaps none) and the caller adds clusters for the rest.
// FS_OK, FS_ROOT_FULL or FS_READ_ERROR.
FsStatus FileEngine::FindFreeRun(uint32_t dirCluster, uint8_t wanted, SlotRun* run) {
    FsStatus status = StartDirectoryWalk(dirCluster);
    if (status != FS_OK) return status;
    SlotRun any, fromEnd, candidate;
    bool haveCandidate = false;
    bool endSeen = false;
    uint32_t endOrdinal = 0;
    for (uint32_t ordinal = 0;; ++ordinal) {
        status = NextDirectorySector();
        if (status == FS_END_OF_CHAIN) break;
        if (status != FS_OK) return status;
        uint32_t sector = file_.currentSector;
        for (uint8_t index = 0; index < kEntriesPerSector; ++index) {
            uint8_t first = buffer_.workBuffer[index * kDirEntrySize];
            if (!endSeen && first == kEntryEnd) {
                endSeen = true;
                endOrdinal = ordinal;
            }
            if (!endSeen && first != kEntryDeleted) {
                any.length = 0;
                continue;
            }
            // Sectors wholly past the end marker hold nothing: they are written fresh.
            bool clear = endSeen && ordinal > endOrdinal;
            if (!haveCandidate) {
                any.Add(sector, index, ordinal, clear);
                if (any.length == wanted) {
                    candidate = any;
                    haveCandidate = true;
                }
            }
            if (endSeen) {
                fromEnd.Add(sector, index, ordinal, clear);
                if (fromEnd.length == wanted) {
                    *run = fromEnd;
                    return FS_OK;
                }
            }
        }
    }
    if (haveCandidate) {
        *run = candidate;
        return FS_OK;
    }
    if (walk_.fixedRoot) return FS_ROOT_FULL;
    *run = endSeen ? fromEnd : any;
    return FS_OK;
}

// Chains one more cluster after the directory's last cluster (the table holds the end of the
// walked chain), every sector cleared first. FS_OK, FS_DISK_FULL, FS_END_OF_CHAIN (the chain is
// damaged or empty), FS_READ_ERROR or FS_WRITE_ERROR.
FsStatus FileEngine::AppendDirectoryCluster(uint32_t* cluster) {
    uint32_t last = TableLastCluster();
    if (last == 0 || runs_.damaged || !runs_.endOfChain) return FS_END_OF_CHAIN;
    uint32_t fresh;
    FsStatus status = FindFirstFree(&fresh);
    if (status != FS_OK) return status;
    if (fresh == 1) return FS_DISK_FULL;
    std::memset(buffer_.workBuffer, 0, kSectorSize);
    buffer_.bufferedSector = kNoSector;
    for (uint32_t s = 0; s < volume_.sectorsPerCluster && status == FS_OK; ++s) {
        status = WriteWithRetry(ClusterSector(fresh, s), 1, buffer_.workBuffer);
    }
    if (status == FS_OK) status = WriteFatRun(fresh, 1, EndOfChainMark(), false);
    if (status == FS_OK) status = WriteFatRun(last, 1, fresh, false);
    if (status != FS_OK) return status;
    runs_.runs[0] = ClusterRun{fresh, 1};
    runs_.runs[1] = ClusterRun{};
    runs_.lastSlot = 0;
    runs_.endOfChain = true;
    *cluster = fresh;
    return NoteClustersAllocated(1);
}

// Completes the run with the first entries of new clusters. Same results as
// AppendDirectoryCluster.
FsStatus FileEngine::ExtendDirectory(uint8_t wanted, SlotRun* run) {
    while (run->length < wanted) {
        uint32_t cluster;
        FsStatus status = AppendDirectoryCluster(&cluster);
        if (status != FS_OK) return status;
        for (uint32_t s = 0; s < volume_.sectorsPerCluster && run->length < wanted; ++s) {
            if (run->sectors == 3) return FS_WRITE_ERROR;
            if (run->length == 0) run->firstIndex = 0;
            run->sector[run->sectors] = ClusterSector(cluster, s);
            run->clear[run->sectors] = true;
            ++run->sectors;
            uint32_t missing = static_cast<uint32_t>(wanted - run->length);
            uint32_t take = missing < kEntriesPerSector ? missing : kEntriesPerSector;
            run->length = static_cast<uint8_t>(run->length + take);
        }
    }
    return FS_OK;
}

// Writes the long-name pieces (highest order first) and then the short entry into the run,
// sector by sector; the short entry's place becomes the open file's entry. FS_OK,
// FS_READ_ERROR or FS_WRITE_ERROR.
FsStatus FileEngine::WriteEntrySet(const SlotRun& run,
                                   const uint8_t storedName[11],
                                   uint8_t caseFlags,
                                   uint8_t longEntries,
                                   size_t longLength) {
    const uint8_t checksum = ShortNameChecksum(storedName);
    const uint32_t total = longEntries + 1u;
    uint8_t slot = 0;
    uint32_t index = run.firstIndex;
    auto load = [&](uint8_t s) -> FsStatus {
        if (!run.clear[s]) return ReadWork(run.sector[s]);
        std::memset(buffer_.workBuffer, 0, kSectorSize);
        buffer_.bufferedSector = kNoSector;
        return FS_OK;
    };
    FsStatus status = load(0);
    for (uint32_t n = 0; n < total && status == FS_OK; ++n) {
        if (index == kEntriesPerSector) {
            status = WriteWork(run.sector[slot]);
            if (status != FS_OK) break;
            if (++slot == run.sectors) return FS_WRITE_ERROR;
            index = 0;
            status = load(slot);
            if (status != FS_OK) break;
        }
        uint8_t* entry = buffer_.workBuffer + index * kDirEntrySize;
        if (n < longEntries) {
            uint8_t order = static_cast<uint8_t>(longEntries - n);
            FillLongEntry(entry, createLongName_, longLength, order, n == 0, checksum);
        } else {
            std::memset(entry, 0, kDirEntrySize);
            std::memcpy(entry + kDirName, storedName, kDirNameLength);
            entry[kDirCaseFlags] = caseFlags;
        }
        ++index;
    }
    if (status != FS_OK) return status;
    status = WriteWork(run.sector[slot]);
    if (status != FS_OK) return status;
    file_.entrySector = run.sector[slot];
    file_.entryIndex = static_cast<uint8_t>(index - 1);
    return FS_OK;
}

// Creates the entry for name in the directory (0 = root), keeping the name in createLongName
// by case flags or long-name pieces wherever the 8.3 name is not it, and makes it the open,
// empty file. FS_OK, FS_ROOT_FULL, FS_DISK_FULL, FS_END_OF_CHAIN, FS_READ_ERROR or
// FS_WRITE_ERROR.
FsStatus FileEngine::CreateEntry(const uint8_t name[11], uint32_t dirCluster) {
    size_t longLength = LongNameLength(createLongName_, kCreateLongNameCapacity);
    uint8_t caseFlags = 0;
    uint8_t longEntries = 0;
    if (longLength > 0) {
        std::u16string base, extension;
        DecodeShortName(name, &base, &extension);
        if (NeedsLongEntries(createLongName_, longLength, base, extension, &caseFlags))
            longEntries = LongEntryCount(longLength);
    }
    uint8_t wanted = static_cast<uint8_t>(longEntries + 1);

    uint8_t stored[11];
    std::memcpy(stored, name, sizeof(stored));
    if (stored[0] == kEntryDeleted) stored[0] = kEntryE5Stored;  // else it would read as free

    SlotRun run;
    FsStatus status = FindFreeRun(dirCluster, wanted, &run);
    if (status == FS_OK && run.length < wanted) status = ExtendDirectory(wanted, &run);
    if (status == FS_OK) status = WriteEntrySet(run, stored, caseFlags, longEntries, longLength);
    if (status != FS_OK) return status;

    file_.firstCluster = 0;
    file_.attribute = 0;
    file_.fileSize = 0;
    file_.sizeChanged = false;
    runs_ = ClusterRunTable{};
    runs_.endOfChain = true;
    ResetPosition();
    file_.closed = 0;
    return FS_OK;
}

// Sets the open entry's first cluster (and attribute) in its directory sector. FS_OK,
// FS_READ_ERROR or FS_WRITE_ERROR.
FsStatus FileEngine::SetEntryCluster(uint32_t cluster, uint8_t attribute, bool setAttribute) {
    FsStatus status = ReadWork(file_.entrySector);
    if (status != FS_OK) return status;
    uint8_t* entry = buffer_.workBuffer + file_.entryIndex * kDirEntrySize;
    Store16(entry + kDirClusterHigh, static_cast<uint16_t>(cluster >> 16));
    Store16(entry + kDirClusterLow, static_cast<uint16_t>(cluster));
    if (setAttribute) entry[kDirAttribute] = attribute;
    return WriteWork(file_.entrySector);
}

// The first sector of a new directory's cluster gets "." and ".."; the others are cleared.
// FS_OK or FS_WRITE_ERROR.
FsStatus FileEngine::WriteDirectoryBody(uint32_t cluster, uint32_t parentCluster) {
    uint8_t* sector = buffer_.workBuffer;
    std::memset(sector, 0, kSectorSize);
    uint8_t* dot = sector;
    uint8_t* dotDot = sector + kDirEntrySize;
    std::memset(dot + kDirName, ' ', kDirNameLength);
    std::memset(dotDot + kDirName, ' ', kDirNameLength);
    dot[0] = '.';
    dotDot[0] = '.';
    dotDot[1] = '.';
    dot[kDirAttribute] = kAttrDirectory;
    dotDot[kDirAttribute] = kAttrDirectory;
    Store16(dot + kDirClusterHigh, static_cast<uint16_t>(cluster >> 16));
    Store16(dot + kDirClusterLow, static_cast<uint16_t>(cluster));
    Store16(dotDot + kDirClusterHigh, static_cast<uint16_t>(parentCluster >> 16));
    Store16(dotDot + kDirClusterLow, static_cast<uint16_t>(parentCluster));
    FsStatus status = WriteWork(ClusterSector(cluster, 0));
    if (status != FS_OK) return status;
    std::memset(sector, 0, kSectorSize);
    buffer_.bufferedSector = kNoSector;
    for (uint32_t s = 1; s < volume_.sectorsPerCluster && status == FS_OK; ++s) {
        status = WriteWithRetry(ClusterSector(cluster, s), 1, sector);
    }
    return status;
}
