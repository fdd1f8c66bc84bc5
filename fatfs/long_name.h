// Long-name entries: when a create writes them, how many, their checksum, and packing and
// unpacking their 13 characters.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// Length of a NUL-terminated 16-bit name within capacity characters, cut at 255.
size_t LongNameLength(const char16_t* name, size_t capacity);

// Whether a create must write long-name entries to keep the name it is given over the 8.3
// name it stores (base and extension as characters, as stored). Not when the name is that 8.3
// name; nor when it is that name with its base, its extension or both wholly in lower case,
// which the case flags of the short entry keep (*caseFlags: kCaseLowerBase, kCaseLowerExtension);
// in every other case it must, so that any other name reads back whole.
bool NeedsLongEntries(const char16_t* name,
                      size_t length,
                      const std::u16string& base,
                      const std::u16string& extension,
                      uint8_t* caseFlags);

// The name a short entry shows where it has no long name: base and extension (as characters, as
// stored), each in lower case where its case flag says so.
std::u16string ShortNameShown(const std::u16string& base, const std::u16string& extension, uint8_t caseFlags);

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
