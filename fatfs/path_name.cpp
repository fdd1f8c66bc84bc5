// Paths and 8.3 names: level splitting, search names, asterisk patterns, short name text.
#include "fatfs/path_name.h"

#include <cstring>

namespace {

constexpr size_t kMaxPathBytes = 255;  // the NUL must lie within them
constexpr uint32_t kMaxNameCharacters = 11;

}  // namespace

FsStatus SplitPath(const char* path, PathLevels* levels) {
    *levels = PathLevels{};
    size_t length = 0;
    while (length < kMaxPathBytes && path[length] != 0)
        ++length;
    if (length == kMaxPathBytes || length == 0) return FS_BAD_NAME;

    levels->absolute = IsPathSeparator(path[0]);
    size_t nameStart = levels->absolute ? 1 : 0;
    uint32_t counted = 0;  // dots do not count towards a name's length
    for (size_t i = nameStart; i <= length; ++i) {
        bool atEnd = i == length;
        if (!atEnd && !IsPathSeparator(path[i])) {
            if (path[i] != '.') ++counted;
            continue;
        }
        if (counted > kMaxNameCharacters) return FS_BAD_NAME;
        if (counted == 0) {
            // Only the last name may be empty or dots: the path then names its directory.
            if (!atEnd) return FS_BAD_NAME;
        } else {
            if (levels->count == kMaxPathLevels) return FS_BAD_NAME;
            levels->start[levels->count] = static_cast<uint16_t>(nameStart);
            levels->length[levels->count] = static_cast<uint16_t>(i - nameStart);
            ++levels->count;
        }
        nameStart = i + 1;
        counted = 0;
    }
    return FS_OK;
}

void MakeSearchName(const char* level, size_t length, uint8_t name[11]) {
    std::memset(name, ' ', 11);
    const void* dotAt = std::memchr(level, '.', length);
    if (dotAt == nullptr) {
        for (size_t i = 0; i < length && i < 11; ++i)
            name[i] = static_cast<uint8_t>(level[i]);
        return;
    }
    size_t dot = static_cast<const char*>(dotAt) - level;
    // A base longer than 8 runs on into the extension bytes, which the extension then overwrites.
    for (size_t i = 0; i < dot && i < 11; ++i)
        name[i] = static_cast<uint8_t>(level[i]);
    size_t byte = 8;
    for (size_t i = dot + 1; i < length && byte < 11; ++i)
        name[byte++] = static_cast<uint8_t>(level[i]);
}

bool HasAsterisk(const uint8_t name[11]) {
    return std::memchr(name, '*', 11) != nullptr;
}

bool MatchesPattern(const uint8_t pattern[11], const uint8_t name[11]) {
    size_t star = static_cast<const uint8_t*>(std::memchr(pattern, '*', 11)) - pattern;
    if (star > 0) return std::memcmp(pattern, name, star) == 0;
    for (size_t i = 8; i < 11 && pattern[i] != ' '; ++i) {
        if (pattern[i] != name[i]) return false;
    }
    return true;
}

size_t ShortNameText(const uint8_t name[11], char out[kMaxShortNameText + 1]) {
    // Only trailing blanks go, so a name with an inner blank opens again from its text.
    size_t base = 8;
    while (base > 0 && name[base - 1] == ' ')
        --base;
    size_t extension = 3;
    while (extension > 0 && name[8 + extension - 1] == ' ')
        --extension;
    size_t length = 0;
    for (size_t i = 0; i < base; ++i)
        out[length++] = static_cast<char>(name[i]);
    if (name[8] != ' ') {
        out[length++] = '.';
        for (size_t i = 0; i < extension; ++i)
            out[length++] = static_cast<char>(name[8 + i]);
    }
    out[length] = 0;
    return length;
}
