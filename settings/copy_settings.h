// The persisted copy settings of BlockManager: their value names, defaults, and their
// loading at start and saving at exit through the settings store.
#pragma once

#include <string>

#include "blocks/block_manager.h"
#include "settings/settings_store.h"

// Value names under the program's key.
extern const wchar_t kSavePathValue[];        // "SavePath", REG_SZ
extern const wchar_t kBackupPathValue[];      // "BackupPath", REG_SZ
extern const wchar_t kFileExistModeValue[];   // "FileExistMode", REG_DWORD
extern const wchar_t kDirDelAllFileValue[];   // "DirDelAllFile", REG_DWORD
extern const wchar_t kReadOpenDirBitValue[];  // "ReadOpenDirBit", REG_DWORD
extern const wchar_t kLoadOpenDirBitValue[];  // "LoadOpenDirBit", REG_DWORD
extern const wchar_t kCodePageValue[];        // "CodePage", REG_DWORD (8.3 names' OEM code page, 0 the system's)

// currentDirectory less one trailing separator, then the separator and leaf, bounded to a
// path field (at most kPathChars - 1 characters).
std::wstring DefaultCopyPath(const std::wstring& currentDirectory, const wchar_t* leaf);

// Sets every field to its default (the two paths from currentDirectory + "DISK" and "DISKBAK",
// fileExistMode 0, the flags and keepFileInfo 1, codePage 0), then takes each value the store
// holds in a usable form (a code page only where names can be converted in it). Nothing is
// reported: a key that cannot be opened leaves the defaults.
void LoadSettings(const SettingsStore& store, CopySettings& settings, const std::wstring& currentDirectory);

// Writes every value: the two paths as REG_SZ, then the DWORDs in table order.
// Returns 0, or the first error (a failed open writes nothing).
long SaveSettings(const SettingsStore& store, const CopySettings& settings);
