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
