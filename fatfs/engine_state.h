// The records that make up the file engine's state: the mounted volume, the sector buffer,
// the command record, the open file or directory and the cluster run table of its chain.
#pragma once

#include <cstdint>

#include "disk/sector_access.h"

constexpr uint32_t kNoSector = 0xFFFFFFFF;
constexpr uint32_t kPathCapacity = 256;            // 255 characters and the NUL
constexpr uint32_t kCreateLongNameCapacity = 512;  // the caller clears it; at most 255 characters are used
// The caller's 16-bit path (at most 255 characters) with a long name (at most 260 characters
// from 20 long-name pieces) written after its last separator, and the NUL.
constexpr uint32_t kFoundLongNameCapacity = 520;
constexpr uint8_t kMaxRunLength = 255;  // clusters in one ClusterRun
constexpr uint32_t kMaxTransferSectors = 255;

// Set by mount; FAT type 0 means no volume is mounted.
struct VolumeState {
    uint8_t fatType = 0;  // 0 none, 1 FAT12, 2 FAT16, 3 FAT32
    uint16_t bytesPerSector = 0;
    uint8_t sectorsPerCluster = 0;
    uint32_t fatStart = 0;                // partition start + reserved sectors
    uint32_t fatSize = 0;                 // [sector] one copy; also the distance to the second copy
    bool secondFat = false;               // every FAT sector written goes to both copies
    uint32_t rootStart = 0;               // FAT12/16: first sector of the fixed root area; FAT32: root cluster
    uint32_t dataStart = 0;               // sector of cluster 2
    uint32_t clusterCount = 0;            // valid clusters are 2 .. clusterCount + 1
    uint32_t nextFreeHint = 2;            // FAT16/32 only: where free-cluster searches start
    uint32_t infoSector = 0;              // FAT32: information sector, 0 when there is none
    uint32_t infoFreeCount = 0xFFFFFFFF;  // FAT32: its free count, 0xFFFFFFFF unknown
    // Most clusters a chain can hold whose data lies inside the slot; a walk that goes on
    // past this many is looping (or leaves the slot) and is cut off there.
    uint32_t walkLimit = 0;
};

// One 512-byte buffer serves all FAT and directory work; file transfers of whole sectors go
// straight to or from the caller's buffer instead.
struct SectorBuffer {
    uint8_t own[kSectorSize] = {};
    uint8_t* workBuffer = own;
    uint8_t* transferBuffer = nullptr;
    // The sector workBuffer holds as it is on disk (kNoSector when unknown); lets FAT work
    // skip re-reading the sector it already has. Forgotten at the start of every operation.
    uint32_t bufferedSector = kNoSector;
};

// The shared command record: the path of the last open, create or erase, with the found
// name written back by a pattern open. Transfer counts and file information travel as
// arguments, so the path stays readable until the next open.
struct FileCommand {
    char path[kPathCapacity] = {};
};

// A place in the run table: run slot, cluster within the run, sector within the cluster.
struct ChainPosition {
    uint8_t run = 0;
    uint8_t cluster = 0;
    uint8_t sector = 0;
};

// The one open file or directory.
struct OpenFileState {
    uint8_t closed = 1;         // 1 when nothing is open
    uint32_t firstCluster = 0;  // 0: no cluster yet
    uint32_t fileSize = 0;
    bool sizeChanged = false;  // close writes the size into the entry
    uint32_t bytePosition = 0;
    uint16_t sectorOffset = 0;  // byte offset within the sector at the position
    ChainPosition position;
    uint32_t currentSector = 0;      // the sector last read or written
    uint32_t entrySector = 0;        // where the 32-byte directory entry lies
    uint8_t entryIndex = 0;          // 0..15 within entrySector
    uint8_t attribute = 0;           // of the entry found last
    bool inFixedRoot = false;        // the directory being walked is the FAT12/16 root area
    uint32_t currentDirCluster = 0;  // last directory opened, 0 for the root; relative paths start here
};

// Consecutive clusters, each linked to the next.
struct ClusterRun {
    uint32_t first = 0;
    uint8_t length = 0;  // 1..255; 0 in slot 0 means no cluster
};

// The open chain as at most two runs; longer or fragmented chains are walked by reloading.
struct ClusterRunTable {
    ClusterRun runs[2];
    uint8_t lastSlot = 0;         // 0 or 1
    bool endOfChain = false;      // the chain's last cluster is in the table
    bool damaged = false;         // the walk ended at a loop or at a link outside the volume
    uint32_t clustersWalked = 0;  // distinct clusters of this walk so far, for the loop bound
};
