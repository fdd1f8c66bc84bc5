// Test volumes for the file engine: empty FAT12 floppies built straight into a block image
// (1.44M, 1.2M with 2 sectors per cluster, 720K), and raw access to their FAT and directory
// entries that does not go through the engine, for checking what it wrote.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

enum class Floppy { k144, k120, k720 };

struct FloppyLayout {
    uint32_t totalSectors;
    uint32_t sectorsPerCluster;
    uint32_t fatSectors;
    uint32_t rootEntries;
    uint8_t media;
    uint32_t fatStart;  // first FAT; the second follows it
    uint32_t rootStart;
    uint32_t rootSectors;
    uint32_t dataStart;
    uint32_t clusters;
};

FloppyLayout LayoutOf(Floppy format);

// Fills the whole image with 0xF6, then writes boot sector, both FATs, an empty root (with a
// volume label entry when label is given) and a zero last sector.
void BuildFloppy(uint8_t* image, Floppy format, const char* label = nullptr);

uint8_t* SectorAt(uint8_t* image, uint32_t sector);
uint8_t* ClusterAt(uint8_t* image, const FloppyLayout& layout, uint32_t cluster);

// A boot sector with the given fields (16- or 32-bit total and FAT size as the values need),
// media F0 and everything else zero.
void PutBootSector(uint8_t* sector,
                   uint8_t perCluster,
                   uint16_t reserved,
                   uint8_t fats,
                   uint16_t rootEntries,
                   uint32_t total,
                   uint32_t fatSectors);

// FAT12 entries of the first (copy 0) or second FAT copy.
uint32_t Fat12Entry(const uint8_t* image, const FloppyLayout& layout, uint32_t cluster, int copy = 0);
void SetFat12Entry(uint8_t* image, const FloppyLayout& layout, uint32_t cluster, uint32_t value);  // both copies

// The clusters of a chain, stopping at an end mark, a free or out-of-range link, or after limit.
std::vector<uint32_t> RawChain(const uint8_t* image, const FloppyLayout& layout, uint32_t first, size_t limit = 5000);

// Root directory entry by index, and a raw 32-byte entry writer.
uint8_t* RootEntry(uint8_t* image, const FloppyLayout& layout, uint32_t index);
void PutEntry(uint8_t* entry, const char name11[11], uint8_t attribute, uint32_t cluster, uint32_t size);
// A long-name piece with the given order byte (0x40 included when last) and 13 characters.
void PutLongPiece(uint8_t* entry, uint8_t order, const std::u16string& thirteen, uint8_t checksum);
uint8_t Checksum(const char name11[11]);

uint16_t Le16(const uint8_t* p);
uint32_t Le32(const uint8_t* p);
void PutLe16(uint8_t* p, uint16_t v);
void PutLe32(uint8_t* p, uint32_t v);

// Deterministic bytes for file contents.
std::string Pattern(size_t length, uint32_t seed);
