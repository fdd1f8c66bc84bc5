// Root directory rules of the settings dialog.
#include "ui/settings_paths.h"

#include <windows.h>

#include "blocks/pc_fs.h"
#include "disk/system_error.h"

bool HasDriveColon(const std::wstring& text) {
    return text.find(L':') != std::wstring::npos;
}

bool MakeRootDirectory(PcFileSystem& pc, const std::wstring& path) {
    if (pc.CreateDirectoryPath(path) == 0) return true;
    // An existing directory is no failure of CreateDirectoryPath; what it reports as "already
    // exists" is a file in the way, which no copy could use.
    return LastSystemError() == ERROR_ACCESS_DENIED;
}

std::wstring WithoutTrailingBackslash(const std::wstring& path) {
    if (!path.empty() && path.back() == L'\\') return path.substr(0, path.size() - 1);
    return path;
}
