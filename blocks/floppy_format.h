// The three floppy formats a block can hold, and the DOS versions a boot disk can carry.
#pragma once

#include <cstdint>

enum FloppyFormat : int {
    FormatOther = 0,  // any other FAT12 volume, or not recognised: handled as the whole slot
    Format144M = 1,
    Format12M = 2,
    Format720K = 3,
};

enum DosSystem : int {
    DosNone = 0,
    Dos622 = 1,
    Dos71 = 2,
};

// Sectors of a format's volume; any other code stands for the whole slot.
constexpr uint32_t VolumeSectors(int format) {
    return format == Format144M ? 2880 : format == Format12M ? 2400 : format == Format720K ? 1440 : 3072;
}

// Boot sector, both FATs and the root directory: what a quick format writes. 0 for other codes.
constexpr uint32_t SystemAreaSectors(int format) {
    return format == Format144M ? 33 : format == Format12M ? 29 : format == Format720K ? 14 : 0;
}

// Data-area sectors as the file engine counts them: the key by which a format is recognised.
constexpr uint32_t DataAreaSectors(int format) {
    return format == Format144M ? 2847 : format == Format12M ? 2370 : format == Format720K ? 1426 : 0;
}

// The format whose whole boot sector layout (bytes and sectors per cluster, reserved sectors,
// FAT count, root entries, total sectors, sectors per FAT, media byte) the boot sector has;
// FormatOther for any other. A volume that only shares a format's data-area count is not it.
FloppyFormat FormatOfBootSector(const uint8_t* boot);
