// The running program's folder on Windows, from the path of its module.
#include <windows.h>

#include <vector>

#include "blocks/program_dir.h"

std::wstring ProgramDirectory() {
    std::vector<wchar_t> path(MAX_PATH);
    for (;;) {
        DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) return std::wstring();
        if (length < path.size()) {
            std::wstring full(path.data(), length);
            size_t separator = full.find_last_of(L"\\/");
            return separator == std::wstring::npos ? std::wstring() : full.substr(0, separator);
        }
        if (path.size() >= 32768) return std::wstring();
        path.resize(path.size() * 2);
    }
}
