// FAT date and time encoding, as the file-information operation exchanges it.
#pragma once

#include <cstdint>

// year 1980..2107, month 1..12, day 1..31
constexpr uint16_t FatDate(unsigned year, unsigned month, unsigned day) {
    return static_cast<uint16_t>((year - 1980) * 512 + month * 32 + day);
}

// Two-second resolution: odd seconds round down.
constexpr uint16_t FatTime(unsigned hour, unsigned minute, unsigned second) {
    return static_cast<uint16_t>(hour * 2048 + minute * 32 + second / 2);
}
