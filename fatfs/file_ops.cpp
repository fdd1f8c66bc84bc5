// The entry points other than reading and writing: disk query, open and enumerate, create,
// create directory, file information, close and erase.
#include <cstring>

#include "fatfs/byte_order.h"
#include "fatfs/codepage.h"
#include "fatfs/file_engine.h"
#include "fatfs/long_name.h"
#include "fatfs/on_disk.h"

void FileEngine::CopyCommandPath(const char* path) {
    std::memset(command_.path, 0, sizeof(command_.path));
    if (path == nullptr) return;
    for (size_t i = 0; i < kPathCapacity - 1 && path[i] != 0; ++i)
        command_.path[i] = path[i];
}

void FileEngine::ResetPosition() {
    file_.position = ChainPosition{};
    file_.bytePosition = 0;
    file_.sectorOffset = 0;
}

FsStatus FileEngine::fsDiskQuery(DiskInfo* info) {
    FsStatus status = StartCall();
    if (status != FS_OK) return status;
    if (info == nullptr) return FS_BAD_NAME;
    uint32_t freeClusters;
    status = CountFree(&freeClusters);
    if (status != FS_OK) return status;
    info->totalSectors = volume_.sectorsPerCluster * volume_.clusterCount;
    info->freeSectors = volume_.sectorsPerCluster * freeClusters;
    info->fatType = volume_.fatType;
    return FS_OK;
}

// Resolves the command path and opens what it names. FS_OK (a file), FS_IS_DIRECTORY, or the
// failures of ResolvePath; the engine stays closed on failure.
FsStatus FileEngine::OpenCommandPath(bool allowPattern) {
    PathLevels levels;
    FsStatus status = SplitPath(command_.path, &levels);
    if (status != FS_OK) return status;
    if (levels.count == 0) {
        // The root (or, relative, the current directory): nothing is opened.
        if (levels.absolute) file_.currentDirCluster = 0;
        return FS_IS_DIRECTORY;
    }
    uint8_t lastName[11];
    uint32_t lastDir;
    status = ResolvePath(levels, allowPattern, lastName, &lastDir);
    if (status == FS_OK) status = LoadRunTable(file_.firstCluster);
    if (status != FS_OK) return status;
    ResetPosition();
    file_.inFixedRoot = false;
    file_.closed = 0;
    if (file_.attribute & kAttrDirectory) {
        file_.currentDirCluster = file_.firstCluster;
        return FS_IS_DIRECTORY;
    }
    file_.sizeChanged = false;
    return FS_OK;
}

FsStatus FileEngine::fsOpen(const char* path, const char16_t* widePath) {
    FsStatus status = StartCall();
    if (status != FS_OK) return status;
    CopyCommandPath(path);
    size_t length = 0;
    if (widePath != nullptr) {
        while (length < kPathCapacity - 1 && widePath[length] != 0) {
            foundLongName_[length] = widePath[length];
            ++length;
        }
    } else {
        length = OemToWide(codePage_, command_.path, std::strlen(command_.path), foundLongName_, kPathCapacity - 1);
    }
    foundLongName_[length] = 0;
    file_.closed = 1;
    return OpenCommandPath(true);
}

// Marks the open entry (and its long-name pieces) deleted and frees its chain. FS_OK,
// FS_BAD_NAME (a volume label), FS_READ_ERROR or FS_WRITE_ERROR.
FsStatus FileEngine::EraseFoundEntry() {
    if (file_.attribute & kAttrVolumeLabel) return FS_BAD_NAME;
    const uint32_t firstCluster = file_.firstCluster;
    FsStatus status = ReadWork(file_.entrySector);
    if (status != FS_OK) return status;
    uint8_t* entry = buffer_.workBuffer + file_.entryIndex * kDirEntrySize;
    const uint8_t checksum = ShortNameChecksum(entry + kDirName);
    entry[0] = kEntryDeleted;
    status = WriteWork(file_.entrySector);
    if (status != FS_OK) return status;
    // Pieces left behind would read as an orphaned long name.
    WalkLongNamePieces(file_.entrySector, file_.entryIndex, checksum, [&](uint8_t* piece, uint32_t sector) {
        piece[0] = kEntryDeleted;
        status = WriteWork(sector);
        return status == FS_OK;
    });
    if (status != FS_OK) return status;
    file_.closed = 1;
    return firstCluster == 0 ? FS_OK : FreeChain(firstCluster);
}

// Searches the command path and creates its entry; *parentDir receives the directory it went
// into (0 for the root). FS_OK with the new file open, or FS_IS_DIRECTORY, FS_EXISTS, the
// failures of ResolvePath, EraseFoundEntry and CreateEntry.
FsStatus FileEngine::CreateCommandPath(uint8_t mode, uint32_t* parentDir) {
    PathLevels levels;
    FsStatus status = SplitPath(command_.path, &levels);
    if (status != FS_OK) return status;
    if (levels.count == 0) return FS_IS_DIRECTORY;
    uint8_t lastName[11];
    uint32_t lastDir;
    status = ResolvePath(levels, false, lastName, &lastDir);
    if (status == FS_OK) {
        if (file_.attribute & kAttrDirectory) return FS_IS_DIRECTORY;
        if (mode == 0) return FS_EXISTS;
        status = EraseFoundEntry();
        if (status != FS_OK) return status;
        status = ResolvePath(levels, false, lastName, &lastDir);
        if (status == FS_OK) return FS_EXISTS;  // a second entry of the same name
    }
    if (status != FS_NOT_FOUND) return status;
    status = CreateEntry(lastName, lastDir);
    if (status != FS_OK) return status;
    *parentDir = lastDir;
    return FS_OK;
}

FsStatus FileEngine::fsCreate(const char* path, uint8_t mode) {
    FsStatus status = StartCall();
    if (status != FS_OK) return status;
    file_.closed = 1;
    CopyCommandPath(path);
    uint32_t parentDir;
    return CreateCommandPath(mode != 0 ? 1 : 0, &parentDir);
}

FsStatus FileEngine::fsCreateDir(const char* path) {
    FsStatus status = StartCall();
    if (status != FS_OK) return status;
    file_.closed = 1;
    CopyCommandPath(path);
    uint32_t parentDir;
    status = CreateCommandPath(0, &parentDir);
    if (status == FS_IS_DIRECTORY) return FS_EXISTS;
    if (status != FS_OK) return status;

    file_.closed = 1;
    uint32_t added;
    status = AllocateClusters(1, false, &added);
    if (status == FS_OK) status = WriteTableChain(added);
    if (status != FS_OK) return status;
    const uint32_t cluster = runs_.runs[0].first;
    status = SetEntryCluster(cluster, kAttrDirectory, true);
    if (status == FS_OK) status = WriteDirectoryBody(cluster, parentDir);
    if (status == FS_OK) status = LoadRunTable(cluster);
    if (status != FS_OK) return status;
    file_.firstCluster = cluster;
    file_.attribute = kAttrDirectory;
    file_.currentDirCluster = cluster;
    ResetPosition();
    file_.closed = 0;
    return FS_OK;
}

FsStatus FileEngine::fsFileInfo(FileInfo* info, uint8_t direction) {
    FsStatus status = StartCall();
    if (status != FS_OK) return status;
    if (file_.closed) return FS_NOT_OPEN;
    if (info == nullptr) return FS_BAD_NAME;
    status = ReadWork(file_.entrySector);
    if (status != FS_OK) return status;
    uint8_t* entry = buffer_.workBuffer + file_.entryIndex * kDirEntrySize;
    if (direction != kInfoModify) {
        // The size in memory includes growth that close has not yet written.
        info->size = file_.fileSize;
        info->writeDate = Load16(entry + kDirWriteDate);
        info->writeTime = Load16(entry + kDirWriteTime);
        info->createDate = Load16(entry + kDirCreateDate);
        info->createTime = Load16(entry + kDirCreateTime);
        info->accessDate = Load16(entry + kDirAccessDate);
        info->accessTime = 0;
        info->attribute = entry[kDirAttribute];
        return FS_OK;
    }
    if (info->size != 0xFFFFFFFF) {
        file_.fileSize = info->size;
        Store32(entry + kDirSize, info->size);
    }
    const struct {
        uint16_t value;
        uint32_t offset;
    } fields[] = {{info->writeDate, kDirWriteDate},
                  {info->writeTime, kDirWriteTime},
                  {info->createDate, kDirCreateDate},
                  {info->createTime, kDirCreateTime},
                  {info->accessDate, kDirAccessDate}};
    for (const auto& field : fields) {
        if (field.value != 0xFFFF) Store16(entry + field.offset, field.value);
    }
    if (info->attribute != 0xFF) {
        entry[kDirAttribute] = info->attribute;
        file_.attribute = info->attribute;
    }
    return WriteWork(file_.entrySector);
}

FsStatus FileEngine::fsClose() {
    FsStatus status = StartCall();
    if (status != FS_OK) return status;
    if (file_.closed) return FS_NOT_OPEN;
    if (file_.sizeChanged) {
        status = ReadWork(file_.entrySector);
        if (status == FS_OK) {
            Store32(buffer_.workBuffer + file_.entryIndex * kDirEntrySize + kDirSize, file_.fileSize);
            status = WriteWork(file_.entrySector);
        }
        if (status != FS_OK) return status;  // still open, so close can be tried again
        file_.sizeChanged = false;
    }
    file_.closed = 1;
    return FS_OK;
}

FsStatus FileEngine::fsErase(const char* path) {
    FsStatus status = StartCall();
    if (status != FS_OK) return status;
    file_.closed = 1;
    CopyCommandPath(path);
    status = OpenCommandPath(false);
    if (status != FS_OK) return status;
    status = EraseFoundEntry();
    file_.closed = 1;
    return status;
}

FsStatus FileEngine::fsEraseDirectory(const char* path) {
    FsStatus status = StartCall();
    if (status != FS_OK) return status;
    file_.closed = 1;
    CopyCommandPath(path);
    status = OpenCommandPath(false);
    // The root opens nothing and has no entry to erase.
    if (status == FS_OK || (status == FS_IS_DIRECTORY && file_.closed)) {
        file_.closed = 1;
        return FS_BAD_NAME;
    }
    if (status != FS_IS_DIRECTORY) return status;
    status = EraseFoundEntry();
    file_.closed = 1;
    file_.currentDirCluster = 0;
    return status;
}
