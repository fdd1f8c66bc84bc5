// The file engine on a volume image that the outside tools made or will judge: loads the image
// into the block image, walks it by pattern enumeration as the block-to-directory copy does,
// writes files and directories as the directory-to-block copy does, and saves the image back.
#pragma once

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "disk/sector_access.h"
#include "fatfs/file_engine.h"
#include "oracle/host_tree.h"

// Statuses in test messages as numbers, not as the characters of their byte values.
inline void PrintTo(FsStatus status, std::ostream* out) {
    *out << "0x" << std::hex << static_cast<int>(status) << std::dec;
}

// One entry met by a walk ("." and ".." left out, volume labels kept).
struct WalkedEntry {
    std::string shortPath;    // as the engine wrote it back: "\\SUBDIR~1\\DEEPER"
    std::string displayPath;  // from foundLongName, '/'-separated: "Sub Dir/DEEPER"
    bool directory = false;
    FileInfo info{};  // read with fsFileInfo for files and labels
};

struct VolumeWalk {
    Tree tree;  // by display path; labels are not part of it
    std::vector<WalkedEntry> entries;
    std::vector<std::string> problems;  // statuses and counts that were not as they should be
};

// One file or directory for the engine to write.
struct EngineItem {
    std::string path;          // upper-case 8.3 path: "\\LONGDI~1\\MYDOCU~1.TXT"
    std::string longName;      // handed over in createLongName; "" for none
    std::string expectedPath;  // where the tools show it: "Long Directory/My Document.txt"
    bool directory = false;
    std::string bytes;
    uint16_t date = 0;
    uint16_t time = 0;
    uint8_t attribute = 0x20;
};

class EngineVolume {
public:
    EngineVolume() : engine(sectors) { sectors.UseImageMode(); }

    // Loads an image file into the block image, the rest of which is zero.
    bool Load(const std::string& imagePath);
    // Writes the first `bytes` bytes of the block image to imagePath.
    void Save(const std::string& imagePath, size_t bytes) const;

    // Enumerates every directory recursively (index 0, 1, 2, ... on "\\DIR\\*") and reads every
    // file whole, asking for more than its size.
    VolumeWalk Walk();

    // fsCreate or fsCreateDir, fsFileInfo (modify) with the item's dates and attribute, and for a
    // file fsWriteBytes of all its bytes and fsClose. The first status other than FS_OK.
    FsStatus Write(const EngineItem& item);

    SectorAccess sectors;
    FileEngine engine;

private:
    void WalkDirectory(const std::string& shortDir,
                       const std::u16string& wideDir,
                       const std::string& displayDir,
                       int depth,
                       VolumeWalk* walk);
};
