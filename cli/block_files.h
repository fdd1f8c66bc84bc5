// The files and folders of one block's volume, walked depth-first in directory order through
// the file engine, for ls. Damaged volumes end the walk with problems noted, never a hang:
// a directory already walked (a loop or a cross-link) is not entered again.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "fatfs/file_engine.h"

struct BlockFile {
    std::wstring path;       // display path under long names, "/" between levels
    std::wstring shortName;  // the 8.3 name
    uint32_t size = 0;
    uint16_t writeDate = 0;
    uint16_t writeTime = 0;
    uint8_t attribute = 0;
    bool directory = false;
};

// Walks the mounted volume (image mode). Returns 0, or the engine status that ended the walk;
// entries found before it are kept. The volume label is not listed.
int WalkBlockFiles(FileEngine& engine, std::vector<BlockFile>* files, std::vector<std::wstring>* problems);

// "2026-12-05 19:49:28" of a FAT date and time.
std::wstring FatTimeText(uint16_t date, uint16_t time);
// Attribute letters "RHSDA" with '-' for those not set.
std::wstring AttributeLetters(uint8_t attribute);
