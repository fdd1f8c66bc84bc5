// The files and folders of one block's volume through the file engine: one folder's entries,
// a path found by its long or 8.3 names, and depth-first walks in directory order, for ls, get,
// put, rm, mkdir and find. Damaged volumes end a walk with problems noted, never a hang: a
// directory already walked (a loop or a cross-link) is not entered again.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "fatfs/file_engine.h"

struct BlockFile {
    std::wstring path;        // display path under long names, "/" between levels; "" for the root
    std::wstring name;        // its last level
    std::wstring shortName;   // the 8.3 name
    std::string shortPath;    // the engine's path, "\\" before each 8.3 level; "" for the root
    std::u16string widePath;  // the long-name path as the engine gives it back, "\\" between levels
    uint32_t size = 0;
    uint16_t writeDate = 0;
    uint16_t writeTime = 0;
    uint8_t attribute = 0;
    uint32_t firstCluster = 0;
    bool directory = false;
};

// The entries of one folder (null: the root), "." and ".." and the volume label left out.
// Returns 0 or the engine status that ended the listing; a listing cut short by a path grown
// too long is noted in problems.
int ListBlockFolder(FileEngine& engine,
                    const BlockFile* folder,
                    std::vector<BlockFile>* entries,
                    std::vector<std::wstring>* problems);

// Walks the mounted volume (image mode) below top (null: the root), top itself not listed.
// Returns 0, or the engine status that ended the walk; entries found before it are kept.
int WalkBlockFiles(FileEngine& engine,
                   std::vector<BlockFile>* files,
                   std::vector<std::wstring>* problems,
                   const BlockFile* top = nullptr);

// The entry that path names, each level matched by its long or its 8.3 name regardless of
// case; "/" and "" name the root. FS_OK, FS_NOT_FOUND (the last level is missing),
// FS_PATH_NOT_FOUND (a level before it is missing or a file), or an engine failure.
int FindBlockPath(FileEngine& engine, const std::wstring& path, BlockFile* found);

// The levels of a block path given on the command line, '/' or '\' between them.
std::vector<std::wstring> BlockPathLevels(const std::wstring& path);

// Case-insensitive comparison as FAT names compare.
bool SameBlockName(const std::wstring& a, const std::wstring& b);

// "2026-12-05 19:49:28" of a FAT date and time; with 'T' between them for JSON.
std::wstring FatTimeText(uint16_t date, uint16_t time, wchar_t between = L' ');
// Attribute letters "RHSDA" with '-' for those not set.
std::wstring AttributeLetters(uint8_t attribute);
