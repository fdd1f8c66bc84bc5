// Long-name entries: the create rule, the checksum, and the 13 characters of each piece.
#include "fatfs/long_name.h"

#include <cstring>

#include "fatfs/byte_order.h"
#include "fatfs/on_disk.h"

size_t LongNameLength(const char16_t* name, size_t capacity) {
    size_t length = 0;
    while (length < capacity && length < 255 && name[length] != 0)
        ++length;
    return length;
}

bool WantsLongName(const char16_t* name, size_t length) {
    for (size_t i = length; i-- > 1;) {
        if (name[i] == u'.') return i >= 5;
    }
    return length >= 5;
}

uint8_t ShortNameChecksum(const uint8_t* storedName) {
    uint8_t sum = 0;
    for (size_t i = 0; i < kDirNameLength; ++i) {
        sum = static_cast<uint8_t>(((sum & 1) << 7) + (sum >> 1) + storedName[i]);
    }
    return sum;
}

void FillLongEntry(uint8_t* entry,
                   const char16_t* name,
                   size_t length,
                   uint8_t order,
                   bool lastPiece,
                   uint8_t checksum) {
    std::memset(entry, 0, kDirEntrySize);
    entry[kLfnOrder] = static_cast<uint8_t>(order | (lastPiece ? kLfnLastPiece : 0));
    entry[kDirAttribute] = kAttrLongName;
    entry[kLfnType] = 0;
    entry[kLfnChecksum] = checksum;
    Store16(entry + kLfnCluster, 0);
    size_t base = static_cast<size_t>(order - 1) * kLfnCharsPerEntry;
    for (size_t i = 0; i < kLfnCharsPerEntry; ++i) {
        size_t at = base + i;
        uint16_t c = at < length ? static_cast<uint16_t>(name[at]) : at == length ? 0x0000 : 0xFFFF;
        Store16(entry + kLfnCharOffsets[i], c);
    }
}

size_t TakeLongEntryChars(const uint8_t* entry, char16_t* out, size_t room) {
    size_t taken = 0;
    for (size_t i = 0; i < kLfnCharsPerEntry && taken < room; ++i) {
        uint16_t c = Load16(entry + kLfnCharOffsets[i]);
        if (c == 0x0000) break;
        if (c == 0xFFFF) continue;
        out[taken++] = static_cast<char16_t>(c);
    }
    return taken;
}
