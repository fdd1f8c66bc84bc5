// Builds empty FAT12 floppies in a block image with the boot sector values the formatter uses,
// and reads back FAT and directory entries independently of the engine.
#include "test_volume.h"

#include <cstring>

namespace {

constexpr uint32_t kSector = 512;
constexpr uint32_t kImageBytes = 3072 * kSector;

}  // namespace

uint16_t Le16(const uint8_t* p) {
    return static_cast<uint16_t>(p[0] | p[1] << 8);
}
uint32_t Le32(const uint8_t* p) {
    return Le16(p) | static_cast<uint32_t>(Le16(p + 2)) << 16;
}
void PutLe16(uint8_t* p, uint16_t v) {
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
}
void PutLe32(uint8_t* p, uint32_t v) {
    PutLe16(p, static_cast<uint16_t>(v));
    PutLe16(p + 2, static_cast<uint16_t>(v >> 16));
}

FloppyLayout LayoutOf(Floppy format) {
    FloppyLayout l{};
    switch (format) {
        case Floppy::k144: l = {2880, 1, 9, 224, 0xF0, 0, 0, 0, 0, 0}; break;
        case Floppy::k120: l = {2400, 2, 7, 224, 0xF9, 0, 0, 0, 0, 0}; break;
        case Floppy::k720: l = {1440, 2, 3, 112, 0xF9, 0, 0, 0, 0, 0}; break;
    }
    l.fatStart = 1;
    l.rootStart = l.fatStart + 2 * l.fatSectors;
    l.rootSectors = l.rootEntries / 16;
    l.dataStart = l.rootStart + l.rootSectors;
    l.clusters = (l.totalSectors - l.dataStart) / l.sectorsPerCluster;
    return l;
}

void BuildFloppy(uint8_t* image, Floppy format, const char* label) {
    const FloppyLayout l = LayoutOf(format);
    std::memset(image, 0xF6, kImageBytes);
    uint8_t* boot = image;
    std::memset(boot, 0, kSector);
    const uint8_t jump[3] = {0xEB, 0x3C, 0x90};
    std::memcpy(boot, jump, 3);
    std::memcpy(boot + 3, "MSDOS5.0", 8);
    PutLe16(boot + 11, 512);
    boot[13] = static_cast<uint8_t>(l.sectorsPerCluster);
    PutLe16(boot + 14, 1);
    boot[16] = 2;
    PutLe16(boot + 17, static_cast<uint16_t>(l.rootEntries));
    PutLe16(boot + 19, static_cast<uint16_t>(l.totalSectors));
    boot[21] = l.media;
    PutLe16(boot + 22, static_cast<uint16_t>(l.fatSectors));
    PutLe16(boot + 24, format == Floppy::k144 ? 18 : format == Floppy::k120 ? 15 : 9);
    PutLe16(boot + 26, 2);
    boot[38] = 0x29;
    PutLe32(boot + 39, 0x12345678);
    std::memcpy(boot + 43, "FLPPY0     ", 11);
    std::memcpy(boot + 54, "FAT12   ", 8);
    boot[510] = 0x55;
    boot[511] = 0xAA;
    // Both FATs and the root area are zero apart from the reserved entries 0 and 1.
    std::memset(SectorAt(image, l.fatStart), 0, (2 * l.fatSectors + l.rootSectors) * kSector);
    for (int copy = 0; copy < 2; ++copy) {
        uint8_t* fat = SectorAt(image, l.fatStart + copy * l.fatSectors);
        fat[0] = l.media;
        fat[1] = 0xFF;
        fat[2] = 0xFF;
    }
    if (label != nullptr) {
        char name[11];
        std::memset(name, ' ', 11);
        std::memcpy(name, label, std::strlen(label) < 11 ? std::strlen(label) : 11);
        PutEntry(RootEntry(image, l, 0), name, 0x08, 0, 0);
    }
    std::memset(SectorAt(image, l.totalSectors - 1), 0, kSector);
}

void PutBootSector(uint8_t* sector,
                   uint8_t perCluster,
                   uint16_t reserved,
                   uint8_t fats,
                   uint16_t rootEntries,
                   uint32_t total,
                   uint32_t fatSectors) {
    std::memset(sector, 0, kSector);
    sector[0] = 0xEB;
    sector[2] = 0x90;
    sector[13] = perCluster;
    PutLe16(sector + 14, reserved);
    sector[16] = fats;
    PutLe16(sector + 17, rootEntries);
    if (total <= 0xFFFF)
        PutLe16(sector + 19, static_cast<uint16_t>(total));
    else
        PutLe32(sector + 32, total);
    sector[21] = 0xF0;
    if (fatSectors <= 0xFFFF)
        PutLe16(sector + 22, static_cast<uint16_t>(fatSectors));
    else
        PutLe32(sector + 36, fatSectors);
}

uint8_t* SectorAt(uint8_t* image, uint32_t sector) {
    return image + static_cast<size_t>(sector) * kSector;
}

uint8_t* ClusterAt(uint8_t* image, const FloppyLayout& layout, uint32_t cluster) {
    return SectorAt(image, layout.dataStart + (cluster - 2) * layout.sectorsPerCluster);
}

uint32_t Fat12Entry(const uint8_t* image, const FloppyLayout& layout, uint32_t cluster, int copy) {
    const uint8_t* fat = image + static_cast<size_t>(layout.fatStart + copy * layout.fatSectors) * kSector;
    uint32_t pair = Le16(fat + cluster * 3 / 2);
    return cluster % 2 ? pair >> 4 : pair & 0xFFF;
}

void SetFat12Entry(uint8_t* image, const FloppyLayout& layout, uint32_t cluster, uint32_t value) {
    for (int copy = 0; copy < 2; ++copy) {
        uint8_t* p =
            image + static_cast<size_t>(layout.fatStart + copy * layout.fatSectors) * kSector + cluster * 3 / 2;
        uint32_t pair = Le16(p);
        pair = cluster % 2 ? (pair & 0x000F) | (value << 4) : (pair & 0xF000) | (value & 0xFFF);
        PutLe16(p, static_cast<uint16_t>(pair));
    }
}

std::vector<uint32_t> RawChain(const uint8_t* image, const FloppyLayout& layout, uint32_t first, size_t limit) {
    std::vector<uint32_t> chain;
    uint32_t cluster = first;
    while (cluster >= 2 && cluster <= layout.clusters + 1 && chain.size() < limit) {
        chain.push_back(cluster);
        cluster = Fat12Entry(image, layout, cluster);
    }
    return chain;
}

uint8_t* RootEntry(uint8_t* image, const FloppyLayout& layout, uint32_t index) {
    return SectorAt(image, layout.rootStart) + index * 32;
}

void PutEntry(uint8_t* entry, const char name11[11], uint8_t attribute, uint32_t cluster, uint32_t size) {
    std::memset(entry, 0, 32);
    std::memcpy(entry, name11, 11);
    entry[11] = attribute;
    PutLe16(entry + 20, static_cast<uint16_t>(cluster >> 16));
    PutLe16(entry + 26, static_cast<uint16_t>(cluster));
    PutLe32(entry + 28, size);
}

void PutLongPiece(uint8_t* entry, uint8_t order, const std::u16string& thirteen, uint8_t checksum) {
    static const int offsets[13] = {1, 3, 5, 7, 9, 14, 16, 18, 20, 22, 24, 28, 30};
    std::memset(entry, 0, 32);
    entry[0] = order;
    entry[11] = 0x0F;
    entry[13] = checksum;
    for (int i = 0; i < 13; ++i) {
        uint16_t c =
            i < static_cast<int>(thirteen.size()) ? thirteen[i] : (i == static_cast<int>(thirteen.size()) ? 0 : 0xFFFF);
        PutLe16(entry + offsets[i], c);
    }
}

uint8_t Checksum(const char name11[11]) {
    uint8_t sum = 0;
    for (int i = 0; i < 11; ++i)
        sum = static_cast<uint8_t>(((sum & 1) << 7) + (sum >> 1) + static_cast<uint8_t>(name11[i]));
    return sum;
}

std::string Pattern(size_t length, uint32_t seed) {
    std::string bytes(length, '\0');
    uint32_t x = seed * 2654435761u + 12345;
    for (size_t i = 0; i < length; ++i) {
        x = x * 1103515245u + 12345;
        bytes[i] = static_cast<char>(x >> 16);
    }
    return bytes;
}
