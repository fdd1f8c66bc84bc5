// Long-name entries: the create rule, the checksum, and the 13 characters of each piece.
#include "fatfs/long_name.h"

#include <cstring>

#include "fatfs/byte_order.h"
#include "fatfs/name_case.h"
#include "fatfs/on_disk.h"

namespace {

std::u16string Lowered(std::u16string text) {
    for (char16_t& c : text)
        c = static_cast<char16_t>(LowerChar(c));
    return text;
}

// given is stored as it stands (*lower false) or wholly in lower case (*lower true).
bool SamePart(const std::u16string& given, const std::u16string& stored, bool* lower) {
    *lower = given != stored;
    return !*lower || given == Lowered(stored);
}

}  // namespace

size_t LongNameLength(const char16_t* name, size_t capacity) {
    size_t length = 0;
    while (length < capacity && length < 255 && name[length] != 0)
        ++length;
    return length;
}

bool NeedsLongEntries(const char16_t* name,
                      size_t length,
                      const std::u16string& base,
                      const std::u16string& extension,
                      uint8_t* caseFlags) {
    *caseFlags = 0;
    const std::u16string given(name, length);
    const size_t shortLength = base.size() + (extension.empty() ? 0 : 1 + extension.size());
    if (given.size() != shortLength || (!extension.empty() && given[base.size()] != u'.')) return true;
    bool lowerBase, lowerExtension = false;
    if (!SamePart(given.substr(0, base.size()), base, &lowerBase)) return true;
    if (!extension.empty() && !SamePart(given.substr(base.size() + 1), extension, &lowerExtension)) return true;
    *caseFlags = static_cast<uint8_t>((lowerBase ? kCaseLowerBase : 0) | (lowerExtension ? kCaseLowerExtension : 0));
    return false;
}

std::u16string ShortNameShown(const std::u16string& base, const std::u16string& extension, uint8_t caseFlags) {
    std::u16string shown = (caseFlags & kCaseLowerBase) ? Lowered(base) : base;
    if (!extension.empty()) shown += u"." + ((caseFlags & kCaseLowerExtension) ? Lowered(extension) : extension);
    return shown;
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
