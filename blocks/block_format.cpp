// Block formatting: an empty FAT12 volume of 1.44M, 1.2M or 720K built in the block image,
// then written to the block's slot, whole or only its system area.
#include <cstdio>
#include <cstring>

#include "blocks/block_header.h"
#include "blocks/block_manager.h"
#include "blocks/dos_files.h"
#include "blocks/local_time.h"
#include "fatfs/byte_order.h"

namespace {

// The boot sector values that differ between the three formats.
struct Geometry {
    uint16_t totalSectors;
    uint8_t sectorsPerCluster;
    uint16_t rootEntries;
    uint8_t media;
    uint16_t sectorsPerFat;
    uint16_t sectorsPerTrack;
};

bool GeometryOf(int format, Geometry* g) {
    switch (format) {
        case Format144M: *g = {2880, 1, 224, 0xF0, 9, 18}; return true;
        case Format12M: *g = {2400, 2, 224, 0xF9, 7, 15}; return true;
        case Format720K: *g = {1440, 2, 112, 0xF9, 3, 9}; return true;
        default: return false;
    }
}

// Boot sector fields [byte offsets].
constexpr uint32_t kOemName = 3;          // 8 bytes
constexpr uint32_t kBytesPerSector = 11;  // 16-bit
constexpr uint32_t kSectorsPerCluster = 13;
constexpr uint32_t kReservedSectors = 14;  // 16-bit
constexpr uint32_t kFatCount = 16;
constexpr uint32_t kRootEntries = 17;     // 16-bit
constexpr uint32_t kTotalSectors16 = 19;  // 16-bit
constexpr uint32_t kMedia = 21;
constexpr uint32_t kSectorsPerFat = 22;    // 16-bit
constexpr uint32_t kSectorsPerTrack = 24;  // 16-bit
constexpr uint32_t kHeads = 26;            // 16-bit
constexpr uint32_t kBootSignature = 38;    // 0x29: serial, label and type follow
constexpr uint32_t kSerialNumber = 39;     // 32-bit
constexpr uint32_t kVolumeLabel = 43;      // 11 bytes
constexpr uint32_t kFileSystemType = 54;   // 8 bytes
constexpr uint32_t kBootProgram = 62;      // kBootProgramSize bytes
constexpr uint32_t kSignature = 510;       // 0x55 0xAA

// Directory entry fields [byte offsets].
constexpr uint32_t kEntryAttribute = 11;
constexpr uint32_t kEntryCreateTime = 14;
constexpr uint32_t kEntryCreateDate = 16;
constexpr uint32_t kEntryAccessDate = 18;
constexpr uint32_t kEntryWriteTime = 22;
constexpr uint32_t kEntryWriteDate = 24;
constexpr uint8_t kAttributeLabel = 0x08;

constexpr uint8_t kFreshByte = 0xF6;  // what a formatted data area holds

// "FLPPY" and the block index, blank-padded to the 11 bytes of a label.
void LabelOf(uint32_t labelIndex, uint8_t label[11]) {
    char text[11];
    std::snprintf(text, sizeof text, "FLPPY%u", labelIndex);
    std::memset(label, ' ', 11);
    std::memcpy(label, text, std::strlen(text));
}

}  // namespace

FloppyFormat FormatOfBootSector(const uint8_t* boot) {
    for (FloppyFormat f : {Format144M, Format12M, Format720K}) {
        Geometry g{};
        GeometryOf(f, &g);
        if (Load16(boot + kBytesPerSector) == kSectorSize && boot[kSectorsPerCluster] == g.sectorsPerCluster &&
            Load16(boot + kReservedSectors) == 1 && boot[kFatCount] == 2 &&
            Load16(boot + kRootEntries) == g.rootEntries && Load16(boot + kTotalSectors16) == g.totalSectors &&
            Load16(boot + kSectorsPerFat) == g.sectorsPerFat && boot[kMedia] == g.media)
            return f;
    }
    return FormatOther;
}

void BlockManager::BuildEmptyVolume(int format, uint32_t labelIndex, int dos) {
    std::memset(sectors_.blockImage(), kFreshByte, kBlockImageSize);
    Geometry g;
    if (!GeometryOf(format, &g)) return;

    LocalTime now = CurrentLocalTime();
    uint8_t boot[kSectorSize] = {};
    boot[0] = 0xEB;
    boot[1] = 0x3C;
    boot[2] = 0x90;
    std::memcpy(boot + kOemName, "MSDOS5.0", 8);
    Store16(boot + kBytesPerSector, kSectorSize);
    boot[kSectorsPerCluster] = g.sectorsPerCluster;
    Store16(boot + kReservedSectors, 1);
    boot[kFatCount] = 2;
    Store16(boot + kRootEntries, g.rootEntries);
    Store16(boot + kTotalSectors16, g.totalSectors);
    boot[kMedia] = g.media;
    Store16(boot + kSectorsPerFat, g.sectorsPerFat);
    Store16(boot + kSectorsPerTrack, g.sectorsPerTrack);
    Store16(boot + kHeads, 2);
    boot[kBootSignature] = 0x29;
    // A new serial number with every format: the date, and the time with its milliseconds.
    uint32_t serial = static_cast<uint32_t>(DosDateOf(now)) << 16 |
                      static_cast<uint32_t>(DosTimeOf(now) | static_cast<uint16_t>(now.milliseconds));
    Store32(boot + kSerialNumber, serial);
    LabelOf(labelIndex, boot + kVolumeLabel);
    std::memcpy(boot + kFileSystemType, "FAT12   ", 8);
    std::memcpy(boot + kBootProgram, BootProgramFor(dos), kBootProgramSize);
    boot[kSignature] = 0x55;
    boot[kSignature + 1] = 0xAA;
    sectors_.WriteSectors(0, 1, boot);

    // Clusters 0 and 1 are reserved; every data cluster is free.
    uint8_t fat[kSectorSize] = {};
    fat[0] = g.media;
    fat[1] = 0xFF;
    fat[2] = 0xFF;
    uint32_t firstFat = 1;
    uint32_t secondFat = firstFat + g.sectorsPerFat;
    uint32_t rootStart = secondFat + g.sectorsPerFat;
    uint32_t rootSectors = g.rootEntries * 32u / kSectorSize;
    sectors_.WriteSectors(firstFat, 1, fat);
    sectors_.WriteSectors(secondFat, 1, fat);

    uint8_t zero[kSectorSize] = {};
    for (uint32_t s = firstFat + 1; s < secondFat; ++s)
        sectors_.WriteSectors(s, 1, zero);
    for (uint32_t s = secondFat + 1; s < rootStart + rootSectors; ++s)
        sectors_.WriteSectors(s, 1, zero);

    // A bootable disk gets its label entry after the system files (AddDosSystem).
    if (dos == DosNone) WriteVolumeLabelEntry(rootStart, labelIndex);
    sectors_.WriteSectors(g.totalSectors - 1u, 1, zero);
}

void BlockManager::WriteVolumeLabelEntry(uint32_t rootSector, uint32_t labelIndex) {
    uint8_t sector[kSectorSize] = {};
    LabelOf(labelIndex, sector);
    sector[kEntryAttribute] = kAttributeLabel;
    LocalTime now = CurrentLocalTime();
    uint16_t date = DosDateOf(now);
    uint16_t time = DosTimeOf(now);
    Store16(sector + kEntryCreateTime, time);
    Store16(sector + kEntryCreateDate, date);
    Store16(sector + kEntryAccessDate, date);
    Store16(sector + kEntryWriteTime, time);
    Store16(sector + kEntryWriteDate, date);
    sectors_.WriteSectors(rootSector, 1, sector);
}

// Returns 0; -1 when the block cannot be written; 260 when it reads back otherwise; 1 when its
// header cannot be stamped; for a bootable disk the status of the recognition or of adding the
// system files (the block is then left as it was).
int BlockManager::FormatBlock(uint32_t blockIndex, int row, int format, int quick, int dos) {
    BeginFailureRecord(blockIndex);
    // A quick format rewrites only the system area; a bootable disk is always written whole.
    uint32_t count = (quick == 1 && dos == DosNone) ? SystemAreaSectors(format) : VolumeSectors(format);
    sectors_.UseImageMode();
    BuildEmptyVolume(format, blockIndex, dos);
    if (dos != DosNone) {
        FloppyFormat code;
        int status = DetectFloppyFormat(nullptr, &code);
        if (status != BLK_OK) return status;
        status = AddDosSystem(blockIndex, dos);
        if (status != BLK_OK) return status;
    }
    sectors_.SetBlockIndex(blockIndex);
    int status = WriteSlotSectors(0, count, sectors_.blockImage());
    if (status != BLK_OK) return status;

    uint8_t header[kSectorSize] = {};
    status = StampUpdateTime(header, blockIndex);
    if (status != BLK_OK) return status;
    sectors_.UseImageMode();
    sectors_.WriteSectors(kHeaderSector, 1, header);
    RefreshBlockRow(row);
    return BLK_OK;
}
