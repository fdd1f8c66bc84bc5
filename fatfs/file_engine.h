// The floppy file engine: mounts the FAT volume of the slot that a SectorAccess addresses and
// opens, enumerates, reads, creates and writes its files and directories, one at a time.
// Every operation returns an FsStatus; storage is reached only through ReadSectors and
// WriteSectors, and never beyond the 3072 sectors of the slot.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "disk/sector_access.h"
#include "fatfs/engine_state.h"
#include "fatfs/fat_time.h"
#include "fatfs/fs_status.h"
#include "fatfs/path_name.h"

// Exchanged by fsFileInfo; dates and times in FAT encoding (FatDate, FatTime).
struct FileInfo {
    uint32_t size;                                                      // 0xFFFFFFFF on modify: unchanged
    uint16_t writeDate, writeTime, createDate, createTime, accessDate;  // 0xFFFF on modify: unchanged
    uint16_t accessTime;                                                // not stored on the volume; read as 0
    uint8_t attribute;                                                  // 0xFF on modify: unchanged
};

struct DiskInfo {
    uint32_t totalSectors;  // sectors per cluster x cluster count
    uint32_t freeSectors;   // sectors per cluster x free clusters
    uint8_t fatType;        // 0 none, 1 FAT12, 2 FAT16, 3 FAT32
};

constexpr uint8_t kInfoRead = 1;
constexpr uint8_t kInfoModify = 0;

class FileEngine {
public:
    explicit FileEngine(SectorAccess& sectors);
    FileEngine(const FileEngine&) = delete;
    FileEngine& operator=(const FileEngine&) = delete;

    // Mounts the volume whose boot sector (or partition table) is sector 0 of the slot.
    // FS_OK, FS_READ_ERROR, FS_BAD_PARTITION or FS_NO_VOLUME.
    FsStatus fsMount();

    // Total and free data sectors. FS_OK, FS_NO_VOLUME or FS_READ_ERROR.
    FsStatus fsDiskQuery(DiskInfo* info);

    // Before a pattern open (last level contains '*'): the match number to take.
    void SetEnumerationIndex(uint32_t index) { enumerationIndex_ = index; }

    // Opens a file (FS_OK) or a directory (FS_IS_DIRECTORY; the root leaves nothing open).
    // path: 8-bit, at most 255 characters, '\\' or '/'; widePath: the same path as 16-bit
    // characters (may be null). A pattern open writes the found name into commandPath() and
    // its long name into foundLongName(); FS_NOT_FOUND ends an enumeration. Other results:
    // FS_PATH_NOT_FOUND, FS_BAD_NAME, FS_PATH_OVERFLOW, FS_READ_ERROR, FS_NO_VOLUME.
    FsStatus fsOpen(const char* path, const char16_t* widePath);

    const char* commandPath() const { return command_.path; }
    const char16_t* foundLongName() const { return foundLongName_; }

    // The name the next create gives its entry (512 characters; the caller clears, then fills):
    // kept by long-name entries, or by case flags, wherever the 8.3 name alone is not it.
    char16_t* createLongName() { return createLongName_; }
    void ClearCreateLongName();

    // The OEM code page 8.3 names are read and compared in (0: SystemOemCodePage()).
    void SetCodePage(uint32_t codePage) { codePage_ = codePage; }
    uint32_t codePage() const { return codePage_; }

    // Reads up to *count bytes from the position; *count returns the bytes read. FS_OK,
    // FS_NOT_OPEN, FS_BAD_NAME (a directory or label), FS_READ_ERROR, FS_NO_VOLUME.
    FsStatus fsReadBytes(void* buffer, uint32_t* count);

    // Creates an empty file and leaves it open. mode 0 refuses an existing file (FS_EXISTS),
    // mode 1 replaces it. Also FS_IS_DIRECTORY, FS_ROOT_FULL, FS_DISK_FULL, the path statuses
    // of fsOpen, FS_WRITE_ERROR, FS_END_OF_CHAIN (the directory's chain is damaged).
    FsStatus fsCreate(const char* path, uint8_t mode);

    // Creates a directory with its "." and ".." entries and leaves it open. FS_OK, FS_EXISTS,
    // or the failures of fsCreate.
    FsStatus fsCreateDir(const char* path);

    // Writes *count bytes at the position, growing the chain as needed; *count returns the
    // bytes written. FS_OK, FS_NOT_OPEN, FS_BAD_NAME, FS_DISK_FULL, FS_READ_ERROR,
    // FS_WRITE_ERROR, FS_END_OF_CHAIN (the file's chain is damaged), FS_NO_VOLUME.
    FsStatus fsWriteBytes(const void* buffer, uint32_t* count);

    // direction kInfoRead (1) fills info; kInfoModify (0) writes every field that is not
    // "unchanged". FS_OK, FS_NOT_OPEN, FS_READ_ERROR, FS_WRITE_ERROR, FS_NO_VOLUME.
    FsStatus fsFileInfo(FileInfo* info, uint8_t direction);

    // Writes a grown size into the entry and closes. FS_OK, FS_NOT_OPEN, FS_READ_ERROR,
    // FS_WRITE_ERROR (the file then stays open), FS_NO_VOLUME.
    FsStatus fsClose();

    // Deletes a file and frees its chain. FS_OK, FS_IS_DIRECTORY, FS_BAD_NAME (a volume
    // label or a pattern), the path statuses of fsOpen, FS_READ_ERROR, FS_WRITE_ERROR.
    FsStatus fsErase(const char* path);

    // Deletes a directory's entry and frees its chain; the caller empties it first (entries left
    // in it would be lost with their clusters still taken). FS_OK, FS_BAD_NAME for a file or the
    // root, the path statuses of fsOpen, FS_READ_ERROR, FS_WRITE_ERROR.
    FsStatus fsEraseDirectory(const char* path);

    uint8_t fatType() const { return volume_.fatType; }

    // Read-only views for tests and diagnostics.
    const VolumeState& volume() const { return volume_; }
    const OpenFileState& openFile() const { return file_; }
    const ClusterRunTable& runTable() const { return runs_; }

private:
    // Where a walk of one directory stands (separate from the open file's position so that
    // long-name entries can be found again after the found entry's chain has been loaded).
    struct DirectoryWalk {
        bool fixedRoot = false;
        uint32_t firstCluster = 0;  // of the directory's chain
        uint32_t nextRootSector = 0;
    };

    // Up to 21 consecutive free directory entries (a long-name set and its short entry), in
    // at most 3 sectors.
    struct SlotRun {
        uint32_t sector[3] = {};
        bool clear[3] = {};  // the sector lies past the directory's end and is written fresh
        uint8_t sectors = 0;
        uint8_t firstIndex = 0;  // entry index in sector[0]
        uint8_t length = 0;
        uint32_t lastOrdinal = 0;  // walk ordinal of sector[sectors - 1]

        // Appends one free entry; ordinal counts the walk's sectors, so a chain that comes
        // back to a sector still starts a new one.
        void Add(uint32_t atSector, uint8_t index, uint32_t ordinal, bool clearSector) {
            if (length == 0) {
                firstIndex = index;
                sectors = 0;
            }
            if (sectors == 0 || lastOrdinal != ordinal) {
                if (sectors == 3) return;  // 21 entries never span more; keeps the lists in bounds
                sector[sectors] = atSector;
                clear[sectors] = clearSector;
                ++sectors;
                lastOrdinal = ordinal;
            }
            ++length;
        }
    };

    // volume.cpp: mount and retried, slot-bounded transfers.
    FsStatus StartCall();
    FsStatus Mount();
    FsStatus ReadWithRetry(uint32_t sector, uint32_t count, void* buffer);
    FsStatus WriteWithRetry(uint32_t sector, uint32_t count, const void* buffer);
    FsStatus ReadWork(uint32_t sector);
    FsStatus WriteWork(uint32_t sector);

    // fat_table.cpp: FAT entries, runs of entries, the free-cluster scan.
    uint32_t LastCluster() const { return volume_.clusterCount + 1; }
    bool IsValidCluster(uint32_t cluster) const { return cluster >= 2 && cluster <= LastCluster(); }
    bool IsEndOfChain(uint32_t value) const;
    uint32_t EndOfChainMark() const;
    FsStatus LocateFatEntry(uint32_t cluster, uint32_t* sector, uint32_t* offset);
    FsStatus ReadFatSector(uint32_t sector);
    FsStatus WriteFatSector(uint32_t sector);
    FsStatus ReadFatEntry(uint32_t cluster, uint32_t* value);
    FsStatus WriteFatRun(uint32_t first, uint32_t count, uint32_t finalValue, bool freeMode);
    uint32_t ScanStart(uint32_t from) const;
    FsStatus FindFirstFree(uint32_t* cluster);
    FsStatus CountFree(uint32_t* count);
    FsStatus AllocateClusters(uint32_t wanted, bool continueChain, uint32_t* allocated);
    FsStatus NoteClustersAllocated(uint32_t count);
    FsStatus NoteClustersFreed(uint32_t count, uint32_t firstFreed);

    // cluster_chain.cpp: the run table, the position in it, chain transfers, freeing.
    FsStatus LoadRunTable(uint32_t firstCluster);
    FsStatus ContinueRunTable();
    uint32_t TableLastCluster() const;
    bool PastTable() const;
    uint32_t ClusterSector(uint32_t cluster, uint32_t sectorInCluster) const;
    uint32_t PositionSector() const;
    uint32_t SectorsLeftInRun() const;
    void Advance(uint32_t sectors);
    void StepBack();
    void RewindPastFirstCluster();
    FsStatus ReachNextSector(uint32_t extendSectors);
    FsStatus ReadChainSectors(uint32_t count, uint8_t* buffer, uint32_t* read);
    FsStatus WriteTableChain(uint32_t added);
    FsStatus FreeChain(uint32_t firstCluster);
    FsStatus PrecedingSector(uint32_t sector, uint32_t* previous, bool* found);

    // directory.cpp: walking directories, resolving paths, long names read back.
    FsStatus StartDirectoryWalk(uint32_t dirCluster);
    FsStatus NextDirectorySector();
    FsStatus ResolvePath(const PathLevels& levels, bool allowPattern, uint8_t lastName[11], uint32_t* lastDir);
    FsStatus SearchLevel(const uint8_t name[11], bool pattern, bool lastLevel, uint16_t levelStart);
    void TakeEntry(const uint8_t* entry, uint8_t index, bool lastLevel);
    FsStatus WriteBackFoundName(const uint8_t name[11], uint16_t levelStart, uint8_t index);
    void ReadLongNameBack(const uint8_t name[11], uint8_t index, size_t position);
    void DecodeShortName(const uint8_t name[11], std::u16string* base, std::u16string* extension) const;
    bool WalkLongNamePieces(uint32_t sector,
                            uint8_t index,
                            uint8_t checksum,
                            const std::function<bool(uint8_t* entry, uint32_t sector)>& visit);

    // entry_create.cpp: free slots, long-name sets, new entries and directory bodies.
    FsStatus FindFreeRun(uint32_t dirCluster, uint8_t wanted, SlotRun* run);
    FsStatus AppendDirectoryCluster(uint32_t* cluster);
    FsStatus ExtendDirectory(uint8_t wanted, SlotRun* run);
    FsStatus WriteEntrySet(const SlotRun& run,
                           const uint8_t storedName[11],
                           uint8_t caseFlags,
                           uint8_t longEntries,
                           size_t longLength);
    FsStatus CreateEntry(const uint8_t name[11], uint32_t dirCluster);
    FsStatus WriteDirectoryBody(uint32_t cluster, uint32_t parentCluster);
    FsStatus SetEntryCluster(uint32_t cluster, uint8_t attribute, bool setAttribute);

    // file_ops.cpp: shared steps of the entry points.
    void CopyCommandPath(const char* path);
    FsStatus OpenCommandPath(bool allowPattern);
    FsStatus CreateCommandPath(uint8_t mode, uint32_t* parentDir);
    FsStatus EraseFoundEntry();
    void ResetPosition();

    SectorAccess& sectors_;
    VolumeState volume_;
    SectorBuffer buffer_;
    FileCommand command_;
    char16_t foundLongName_[kFoundLongNameCapacity] = {};
    char16_t createLongName_[kCreateLongNameCapacity] = {};
    OpenFileState file_;
    ClusterRunTable runs_;
    DirectoryWalk walk_;
    uint32_t enumerationIndex_ = 0;
    uint32_t codePage_ = 0;
};
