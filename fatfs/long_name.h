// Long-name entries: when a create writes them, how many, their checksum, and packing and
// unpacking their 13 characters.
#pragma once

#include <cstddef>
#include <cstdint>

// Length of a NUL-terminated 16-bit name within capacity characters, cut at 255.
size_t LongNameLength(const char16_t* name, size_t capacity);

// The create rule: a name whose last dot (searched from its end down to index 1) stands at
// index 5 or later, or that has no such dot and is at least 5 characters long.
bool WantsLongName(const char16_t* name, size_t length);

inline uint8_t LongEntryCount(size_t length) {
    return static_cast<uint8_t>((length + 12) / 13);
}

// The rotate-and-add checksum over the 11 name bytes as stored in the short entry.
uint8_t ShortNameChecksum(const uint8_t* storedName);

// Writes the 32-byte long-name entry with sequence number order (1-based) of name.
void FillLongEntry(uint8_t* entry,
                   const char16_t* name,
                   size_t length,
                   uint8_t order,
                   bool lastPiece,
                   uint8_t checksum);

// Appends the characters of one long-name entry to out, stopping at a NUL and skipping 0xFFFF
// padding; returns the number appended (at most room).
size_t TakeLongEntryChars(const uint8_t* entry, char16_t* out, size_t room);
