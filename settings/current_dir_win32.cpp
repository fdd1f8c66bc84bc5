// The working directory from Windows, within the 260-character path fields.
#include <windows.h>

#include "settings/current_dir.h"

std::wstring CurrentDirectory() {
    wchar_t buffer[MAX_PATH];
    DWORD length = GetCurrentDirectoryW(MAX_PATH, buffer);
    // A result of MAX_PATH or more is the size the buffer would have needed.
    if (length == 0 || length >= MAX_PATH) return std::wstring();
    return std::wstring(buffer, length);
}
