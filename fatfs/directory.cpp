// Directories: walking one sector by sector (the fixed root area or a cluster chain), resolving
// a path level by level, exact and pattern matches, and the found name and long name written
// back by a pattern match.
#include <cstring>

#include "fatfs/byte_order.h"
#include "fatfs/codepage.h"
#include "fatfs/file_engine.h"
#include "fatfs/long_name.h"
#include "fatfs/on_disk.h"

namespace {

// The name as the caller knows it: a stored first byte 0x05 stands for 0xE5.
void EntryName(const uint8_t* entry, uint8_t name[11]) {
    std::memcpy(name, entry + kDirName, kDirNameLength);
    if (name[0] == kEntryE5Stored) name[0] = kEntryDeleted;
}

bool IsLongNameEntry(const uint8_t* entry) {
    return (entry[kDirAttribute] & kAttrLongNameMask) == kAttrLongName;
}

}  // namespace

// Starts walking a directory: 0 is the root (the fixed area on FAT12/16, the root cluster on
// FAT32). FS_OK or FS_READ_ERROR.
FsStatus FileEngine::StartDirectoryWalk(uint32_t dirCluster) {
    walk_ = DirectoryWalk{};
    walk_.fixedRoot = dirCluster == 0 && volume_.fatType != 3;
    file_.inFixedRoot = walk_.fixedRoot;
    file_.position = ChainPosition{};
    if (walk_.fixedRoot) {
        walk_.nextRootSector = volume_.rootStart;
        return FS_OK;
    }
    walk_.firstCluster = dirCluster == 0 ? volume_.rootStart : dirCluster;
    return LoadRunTable(walk_.firstCluster);
}

// Reads the next sector of the directory into workBuffer; it becomes the current sector.
// FS_OK, FS_END_OF_CHAIN at the directory's end, or FS_READ_ERROR.
FsStatus FileEngine::NextDirectorySector() {
    uint32_t sector;
    if (walk_.fixedRoot) {
        if (walk_.nextRootSector >= volume_.dataStart) return FS_END_OF_CHAIN;
        sector = walk_.nextRootSector++;
    } else {
        FsStatus status = ReachNextSector(0);
        if (status != FS_OK) return status;
        sector = PositionSector();
        Advance(1);
    }
    FsStatus status = ReadWork(sector);
    if (status == FS_OK) file_.currentSector = sector;
    return status;
}

// Resolves every level of the path. At the end the last level's entry is in file_ (FS_OK), or
// the last level does not exist (FS_NOT_FOUND); either way lastName and lastDir name it and
// the directory searched. Also FS_PATH_NOT_FOUND (an intermediate level is missing or not a
// directory), FS_BAD_NAME, FS_PATH_OVERFLOW and FS_READ_ERROR.
FsStatus FileEngine::ResolvePath(const PathLevels& levels, bool allowPattern, uint8_t lastName[11], uint32_t* lastDir) {
    uint32_t dir = levels.absolute ? 0 : file_.currentDirCluster;
    for (uint8_t level = 0; level < levels.count; ++level) {
        bool last = level + 1 == levels.count;
        uint8_t name[11];
        MakeSearchName(command_.path + levels.start[level], levels.length[level], name);
        bool pattern = HasAsterisk(name);
        if (pattern && (!last || !allowPattern)) return FS_BAD_NAME;
        FsStatus status = StartDirectoryWalk(dir);
        if (status != FS_OK) return status;
        if (last) {
            std::memcpy(lastName, name, sizeof(name));
            *lastDir = dir;
        }
        status = SearchLevel(name, pattern, last, levels.start[level]);
        if (status != FS_OK) return status;
        if (!last) {
            // Only a directory is walked into; a file's data is never read as entries.
            if (!(file_.attribute & kAttrDirectory)) return FS_PATH_NOT_FOUND;
            dir = file_.firstCluster;
        }
    }
    return FS_OK;
}

// Searches the directory being walked for one level. FS_OK (entry taken), FS_NOT_FOUND at the
// last level, FS_PATH_NOT_FOUND before it, FS_PATH_OVERFLOW or FS_READ_ERROR.
FsStatus FileEngine::SearchLevel(const uint8_t name[11], bool pattern, bool lastLevel, uint16_t levelStart) {
    const FsStatus missing = lastLevel ? FS_NOT_FOUND : FS_PATH_NOT_FOUND;
    uint32_t matchNumber = 0;
    for (;;) {
        FsStatus status = NextDirectorySector();
        if (status == FS_END_OF_CHAIN) return missing;
        if (status != FS_OK) return status;
        for (uint8_t index = 0; index < kEntriesPerSector; ++index) {
            const uint8_t* entry = buffer_.workBuffer + index * kDirEntrySize;
            if (entry[0] == kEntryEnd) return missing;
            if (entry[0] == kEntryDeleted || IsLongNameEntry(entry)) continue;
            uint8_t entryName[11];
            EntryName(entry, entryName);
            if (pattern) {
                if (!MatchesPattern(name, entryName) || matchNumber++ != enumerationIndex_) continue;
                TakeEntry(entry, index, lastLevel);
                return WriteBackFoundName(entryName, levelStart, index);
            }
            if (std::memcmp(name, entryName, sizeof(entryName)) != 0) continue;
            TakeEntry(entry, index, lastLevel);
            return FS_OK;
        }
    }
}

void FileEngine::TakeEntry(const uint8_t* entry, uint8_t index, bool lastLevel) {
    file_.firstCluster =
        (static_cast<uint32_t>(Load16(entry + kDirClusterHigh)) << 16) | Load16(entry + kDirClusterLow);
    file_.attribute = entry[kDirAttribute];
    if (!lastLevel) return;
    file_.entrySector = file_.currentSector;
    file_.entryIndex = index;
    file_.fileSize = Load32(entry + kDirSize);
}

// Puts the found entry's name into the path in place of the pattern, and its long name (or
// short name) into foundLongName after the matching separator. FS_OK or FS_PATH_OVERFLOW.
FsStatus FileEngine::WriteBackFoundName(const uint8_t name[11], uint16_t levelStart, uint8_t index) {
    char text[kMaxShortNameText + 1];
    size_t length = ShortNameText(name, text);
    // Every character and the NUL must land at byte 254 or below.
    if (levelStart + length > kPathCapacity - 2) return FS_PATH_OVERFLOW;
    std::memcpy(command_.path + levelStart, text, length + 1);

    size_t separators = 0;
    for (uint16_t i = 0; i < levelStart; ++i)
        separators += IsPathSeparator(command_.path[i]) ? 1 : 0;
    size_t position = 0;
    for (size_t seen = 0; seen < separators && position < kPathCapacity - 1 && foundLongName_[position] != 0;
         ++position) {
        if (foundLongName_[position] == u'\\' || foundLongName_[position] == u'/') ++seen;
    }
    ReadLongNameBack(name, index, position);
    return FS_OK;
}

// Writes at foundLongName[position] the long name of the entry just found (at index of the
// current sector) when a complete long-name set with its checksum precedes it, whatever its
// short name; otherwise, a broken set included, the short name as it shows: in the OEM code
// page, with its case flags.
void FileEngine::ReadLongNameBack(const uint8_t name[11], uint8_t index, size_t position) {
    char16_t* out = foundLongName_ + position;
    const size_t room = kFoundLongNameCapacity - 1 - position;
    const uint8_t* entry = buffer_.workBuffer + index * kDirEntrySize;
    const uint8_t caseFlags = entry[kDirCaseFlags];
    size_t length = 0;
    bool complete = WalkLongNamePieces(file_.currentSector, index, ShortNameChecksum(entry + kDirName),
                                       [&](uint8_t* piece, uint32_t) {
                                           length += TakeLongEntryChars(piece, out + length, room - length);
                                           return true;
                                       });
    if (complete && length > 0) {
        out[length] = 0;
        return;
    }
    std::u16string base, extension;
    DecodeShortName(name, &base, &extension);
    std::u16string shown = ShortNameShown(base, extension, caseFlags);
    length = shown.size() < room ? shown.size() : room;
    shown.copy(out, length);
    out[length] = 0;
}

// The 8.3 name's base and extension as characters of the OEM code page, trailing blanks left
// out; an extension whose first byte is blank shows as none, as in ShortNameText.
void FileEngine::DecodeShortName(const uint8_t name[11], std::u16string* base, std::u16string* extension) const {
    const char* bytes = reinterpret_cast<const char*>(name);
    size_t baseBytes = 8;
    while (baseBytes > 0 && name[baseBytes - 1] == ' ')
        --baseBytes;
    size_t extensionBytes = name[8] == ' ' ? 0 : 3;
    while (extensionBytes > 0 && name[8 + extensionBytes - 1] == ' ')
        --extensionBytes;
    char16_t wide[8];
    base->assign(wide, OemToWide(codePage_, bytes, baseBytes, wide, 8));
    extension->assign(wide, OemToWide(codePage_, bytes + 8, extensionBytes, wide, 8));
}

// Visits the long-name pieces before the short entry at (sector, index), order 1, 2, ... in
// turn, each with its sector in workBuffer (visit may change and write it). A piece must be a
// long-name entry with the expected order and the short name's checksum. Returns true when
// the piece marked last was reached; false when the set breaks, a read fails, or visit says so.
bool FileEngine::WalkLongNamePieces(uint32_t sector,
                                    uint8_t index,
                                    uint8_t checksum,
                                    const std::function<bool(uint8_t* entry, uint32_t sector)>& visit) {
    for (uint8_t order = 1; order <= kLfnMaxEntries; ++order) {
        if (index == 0) {
            uint32_t previous;
            bool found;
            if (PrecedingSector(sector, &previous, &found) != FS_OK || !found) return false;
            if (ReadWork(previous) != FS_OK) return false;
            sector = previous;
            index = kEntriesPerSector;
        } else if (buffer_.bufferedSector != sector) {
            if (ReadWork(sector) != FS_OK) return false;
        }
        --index;
        uint8_t* piece = buffer_.workBuffer + index * kDirEntrySize;
        if (!IsLongNameEntry(piece) || (piece[kLfnOrder] & ~kLfnLastPiece) != order ||
            piece[kLfnChecksum] != checksum) {
            return false;
        }
        bool lastPiece = piece[kLfnOrder] & kLfnLastPiece;
        if (!visit(piece, sector)) return false;
        if (lastPiece) return true;
    }
    return false;
}
