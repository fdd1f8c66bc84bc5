// The text form of the file-backed settings store: one "[key path]" section per key and one
// "Name=TYPE:value" line per value, in UTF-8. Unknown and malformed lines are dropped on reading.
//
//   [Software\Marrowfield\fbkt]
//   SavePath=REG_SZ:/home/me/DISK
//   FileExistMode=REG_DWORD:0x00000000
//   MainWinPos=REG_BINARY:0000008000000080
//   Odd=hex(11):0102030405060708
//
// Texts (REG_SZ, REG_EXPAND_SZ, REG_MULTI_SZ) are written without their final zero, with \\, \0,
// \n, \r, \t and \xHH escapes; names are escaped the same way, and also "=" and a leading "[",
// "#" or ";". A value that has no such form (a string of odd size, a DWORD that is not 4 bytes,
// any other type) is written as hex(type) so that every value survives as it was stored.
#pragma once

#include <string>
#include <vector>

#include "settings/settings_store.h"

struct SettingsFileEntry {
    std::string name;  // UTF-8, unescaped
    SettingsValue value;
};

struct SettingsFileSection {
    std::string keyPath;  // UTF-8
    std::vector<SettingsFileEntry> entries;
};

using SettingsFile = std::vector<SettingsFileSection>;

// Parses a whole file. Sections and names match without regard to ASCII case, as registry names
// do; a repeated section is merged into the first, a repeated name keeps the last value.
SettingsFile ParseSettingsFile(const std::string& text);
std::string FormatSettingsFile(const SettingsFile& file);

// Lookups and updates with the same matching; Find* return nullptr when absent.
SettingsFileSection* FindSection(SettingsFile& file, const std::string& keyPath);
const SettingsFileEntry* FindEntry(const SettingsFileSection& section, const std::string& name);
void SetEntry(SettingsFileSection& section, const std::string& name, SettingsValue value);

// Whether a key path can be a section header (no line breaks, no "]").
bool IsValidSectionName(const std::string& keyPath);
