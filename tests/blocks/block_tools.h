// Block-sized views of a drive image for the FAT tools of the oracle tests.
#pragma once

#include <cstdint>
#include <string>

#include "tests/oracle/fat_tools.h"

// Cuts `sectors` sectors of block `block` out of a drive image into a file of its own with dd.
bool CutSlot(const std::string& drive, uint32_t block, uint32_t sectors, const std::string& out);

// mdir of the root of the volume at block `block` of a drive image (drive.img@@offset).
ToolResult MdirAt(const std::string& drive, uint32_t block);

// fsck.fat -n found nothing to complain of.
inline bool FsckClean(const FsckReport& report) {
    return report.exitCode == 0 && report.onlySummary;
}
