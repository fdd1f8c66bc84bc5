// The outside judges: FAT tools nobody here wrote (mkfs.fat, mformat, mcopy, mdir, mattrib,
// fsck.fat, 7z), run on volumes and on blocks of drive images, with what they print parsed into plain
// records. Native builds only (they run programs through the shell).
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

struct ToolResult {
    int exitCode = -1;   // the program's exit status; -1 when it could not be started or was killed
    std::string output;  // standard output and standard error together
};

// Full path of an installed program (PATH, then /usr/sbin and /sbin, where mkfs.fat lives); "" if none.
std::string FindTool(const std::string& name);

// True when every FAT tool the oracle tests use is installed.
bool FatToolsPresent();

// Quotes one argument for /bin/sh.
std::string ShellQuote(const std::string& text);

// Runs a shell command line with MTOOLS_SKIP_CHECK=1, TZ=UTC and a UTF-8 locale, so that odd
// geometries pass, the dates mtools prints are the dates stored on the volume, and long names
// beyond ASCII reach the PC as UTF-8.
ToolResult RunTool(const std::string& commandLine);

// What `fsck.fat -n` said: the exit code, whether every line was the banner or the summary (no
// complaint of any kind), and the summary's counts.
struct FsckReport {
    int exitCode = -1;
    bool onlySummary = false;
    uint32_t files = 0;  // files and directories (the volume label counts as one)
    uint32_t usedClusters = 0;
    uint32_t totalClusters = 0;
    std::string output;
};
FsckReport RunFsck(const std::string& imagePath);

// One line of `mdir -/`: short name parts as shown (mdir lower-cases names stored with the
// lower-case flags), the long name if any, and the date and time text.
struct MdirEntry {
    std::string name;  // up to 8 characters, blanks removed
    std::string ext;   // up to 3 characters, blanks removed
    std::string longName;
    bool directory = false;
    uint64_t size = 0;
    std::string date;  // "2021-06-15"
    std::string time;  // "10:20"
};

// A recursive listing: directory path below the root ("" for the root, "Sub Dir/deeper" for a
// subdirectory, shown by long names) to the entries mdir printed for it, "." and ".." included.
struct MdirListing {
    int exitCode = -1;
    std::map<std::string, std::vector<MdirEntry>> directories;
    uint64_t bytesFree = 0;
    std::string output;

    // The entry called `name` in directory `dir`: by its long name, or by its short name in any case.
    const MdirEntry* Find(const std::string& dir, const std::string& name) const;
};
MdirListing RunMdir(const std::string& imagePath);

// Free bytes of the volume as mdir counts them (a plain listing of the root, which unlike the
// recursive one also works on an empty volume); 0 when mdir fails.
uint64_t MdirBytesFree(const std::string& imagePath);

// `mattrib -/` of the whole volume: path below the root ("Sub Dir/x.txt") to its flag letters
// ("A", "AR", "H", ...).
std::map<std::string, std::string> RunMattrib(const std::string& imagePath);

// The short name text of an mdir entry as the engine writes it back ("README.TXT", "ABC").
std::string MdirShortName(const MdirEntry& entry);

// Cuts `sectors` sectors of block `block` out of a drive image into a file of its own with dd.
bool CutSlot(const std::string& drive, uint32_t block, uint32_t sectors, const std::string& out);

// mdir of the root of the volume at block `block` of a drive image (drive.img@@offset).
ToolResult MdirAt(const std::string& drive, uint32_t block);

// One entry of `7z l -slt` on a volume image: the path by long names ('/'-separated), the size,
// the modification time ("2021-06-15 10:20:30") and the attribute letters ("A", "RHSA", "D").
struct SevenZipEntry {
    std::string path;
    bool directory = false;
    uint64_t size = 0;
    std::string modified;
    std::string attributes;
};
// Every entry 7z lists in the volume image (a file of its own: cut a block out first); empty when
// 7z is missing or cannot read it, with what it said in *output.
std::vector<SevenZipEntry> Run7zList(const std::string& imagePath, std::string* output);

// fsck.fat -n found nothing to complain of.
inline bool FsckClean(const FsckReport& report) {
    return report.exitCode == 0 && report.onlySummary;
}
