// Named byte offsets and marker values of the on-disk FAT records the engine reads and writes:
// boot sector, partition table, FAT32 information sector, directory and long-name entries.
#pragma once

#include <cstdint>

// Boot sector (BIOS parameter block).
constexpr uint32_t kBootJump = 0;               // 0xEB on a boot sector (byte)
constexpr uint32_t kBootJumpNop = 2;            // 0x90 on a boot sector (byte)
constexpr uint32_t kBpbSectorsPerCluster = 13;  // [sector] (byte)
constexpr uint32_t kBpbReservedSectors = 14;    // [sector] (word)
constexpr uint32_t kBpbFatCount = 16;           // number of FAT copies (byte)
constexpr uint32_t kBpbRootEntries = 17;        // fixed root directory entries (word)
constexpr uint32_t kBpbTotalSectors16 = 19;     // [sector] (word), 0 when the 32-bit field holds it
constexpr uint32_t kBpbMedia = 21;              // media descriptor (byte)
constexpr uint32_t kBpbFatSize16 = 22;          // [sector] (word), 0 when the 32-bit field holds it
constexpr uint32_t kBpbTotalSectors32 = 32;     // [sector] (dword)
constexpr uint32_t kBpbFatSize32 = 36;          // FAT32: [sector] (dword)
constexpr uint32_t kBpbRootCluster32 = 44;      // FAT32: first cluster of the root directory (dword)
constexpr uint32_t kBpbInfoSector32 = 48;       // FAT32: information sector, relative to the volume (word)

constexpr uint8_t kBootJumpByte = 0xEB;
constexpr uint8_t kBootNopByte = 0x90;
constexpr uint8_t kLowestMedia = 0xF0;

// Partition table in a first sector that is not a boot sector.
constexpr uint32_t kMbrBootIndicator = 446;   // first entry: 0x80 or 0x00 (byte)
constexpr uint32_t kMbrPartitionStart = 454;  // first entry: [sector] (dword)

// FAT32 information sector.
constexpr uint32_t kInfoFreeCount = 488;  // free clusters, 0xFFFFFFFF unknown (dword)
constexpr uint32_t kInfoNextFree = 492;   // where to look for a free cluster (dword)
constexpr uint32_t kInfoUnknown = 0xFFFFFFFF;

// Directory entry (32 bytes).
constexpr uint32_t kDirEntrySize = 32;
constexpr uint32_t kEntriesPerSector = 16;
constexpr uint32_t kDirName = 0;  // 8 name + 3 extension bytes, blank padded
constexpr uint32_t kDirNameLength = 11;
constexpr uint32_t kDirAttribute = 11;    // (byte)
constexpr uint32_t kDirCaseFlags = 12;    // lower-case flags of an 8.3 name without long name (byte)
constexpr uint32_t kDirCreateTime = 14;   // (word)
constexpr uint32_t kDirCreateDate = 16;   // (word)
constexpr uint32_t kDirAccessDate = 18;   // (word)
constexpr uint32_t kDirClusterHigh = 20;  // (word)
constexpr uint32_t kDirWriteTime = 22;    // (word)
constexpr uint32_t kDirWriteDate = 24;    // (word)
constexpr uint32_t kDirClusterLow = 26;   // (word)
constexpr uint32_t kDirSize = 28;         // [byte] (dword)

constexpr uint8_t kEntryEnd = 0x00;       // first byte: no entries follow
constexpr uint8_t kEntryDeleted = 0xE5;   // first byte: free entry
constexpr uint8_t kEntryE5Stored = 0x05;  // first byte: a name that really starts with 0xE5

constexpr uint8_t kCaseLowerBase = 0x08;       // the name's base shows in lower case
constexpr uint8_t kCaseLowerExtension = 0x10;  // its extension shows in lower case

constexpr uint8_t kAttrVolumeLabel = 0x08;
constexpr uint8_t kAttrDirectory = 0x10;
constexpr uint8_t kAttrLongName = 0x0F;
constexpr uint8_t kAttrLongNameMask = 0x3F;

// Long-name entry (32 bytes, attribute 0x0F): 13 UCS-2 characters in three pieces.
constexpr uint32_t kLfnOrder = 0;      // sequence number 1..20, 0x40 on the last piece (byte)
constexpr uint32_t kLfnType = 12;      // always 0 (byte)
constexpr uint32_t kLfnChecksum = 13;  // checksum of the short name (byte)
constexpr uint32_t kLfnCluster = 26;   // always 0 (word)
constexpr uint8_t kLfnLastPiece = 0x40;
constexpr uint32_t kLfnCharsPerEntry = 13;
constexpr uint32_t kLfnMaxEntries = 20;  // 255 characters
constexpr uint32_t kLfnCharOffsets[kLfnCharsPerEntry] = {1, 3, 5, 7, 9, 14, 16, 18, 20, 22, 24, 28, 30};
