// Runs the FAT tools that judge the blocks from outside (fsck.fat, mdir, mkfs.fat, mcopy, dd).
#pragma once

#include <cstdint>
#include <string>

struct ToolRun {
    int exitCode = -1;   // -1 when the program could not be started
    std::string output;  // standard output and standard error together
};

// True when fsck.fat, mkfs.fat, mdir, mcopy and dd are all installed.
bool BlockToolsPresent();

// Runs a shell command line with MTOOLS_SKIP_CHECK=1, TZ=UTC and LC_ALL=C.
ToolRun RunShell(const std::string& commandLine);

std::string Quote(const std::string& text);

// Cuts `sectors` sectors of block `block` out of a drive image into a file of its own with dd.
bool CutSlot(const std::string& drive, uint32_t block, uint32_t sectors, const std::string& out);

// fsck.fat -n on a volume file: clean when it exits 0 and says nothing but its banner and summary.
struct FsckVerdict {
    bool clean = false;
    std::string output;
};
FsckVerdict Fsck(const std::string& volume);

// mdir of the root of the volume at block `block` of a drive image (drive.img@@offset).
ToolRun MdirAt(const std::string& drive, uint32_t block);
