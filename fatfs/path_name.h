// Paths and 8.3 names: splitting a path into levels, turning a level into the 11-byte search
// name, matching asterisk patterns, and the short name text written back for a found entry.
#pragma once

#include <cstddef>
#include <cstdint>

#include "fatfs/fs_status.h"

constexpr uint32_t kMaxPathLevels = 128;    // a 254-character path holds at most 127 names
constexpr uint32_t kMaxShortNameText = 12;  // 8 + dot + 3

struct PathLevels {
    bool absolute = false;
    uint8_t count = 0;                     // names to resolve; 0 for the root itself
    uint16_t start[kMaxPathLevels] = {};   // byte offset of each name in the path
    uint16_t length[kMaxPathLevels] = {};  // up to the next separator or the end
};

inline bool IsPathSeparator(char c) {
    return c == '\\' || c == '/';
}

// Checks the path and records its levels. A separator must close a name of 1 to 11
// characters (dots do not count); a trailing separator or a last name of dots only adds no
// level. Returns FS_OK or FS_BAD_NAME (no NUL within 255 bytes, an empty path, a bad name).
FsStatus SplitPath(const char* path, PathLevels* levels);

// Fills the 11-byte blank-padded search name from one level, taking characters as they stand.
void MakeSearchName(const char* level, size_t length, uint8_t name[11]);

bool HasAsterisk(const uint8_t name[11]);

// An asterisk at byte k > 0 matches the first k bytes; at byte 0 it matches the extension up
// to the pattern's first blank there.
bool MatchesPattern(const uint8_t pattern[11], const uint8_t name[11]);

// The name as text: base without trailing blanks, then a dot and the extension when it has one.
// Returns its length; out receives at most 12 characters and a NUL.
size_t ShortNameText(const uint8_t name[11], char out[kMaxShortNameText + 1]);
