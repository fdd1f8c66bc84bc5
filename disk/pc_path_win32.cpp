#include <windows.h>

#include <vector>

#include "disk/pc_path.h"
#include "disk/system_error.h"

namespace {
// GetFullPathNameW makes the path whole and takes out "." and ".." as written, as the system
// does when it opens a path.
bool FullPath(const std::wstring& path, std::wstring* full) {
    std::vector<wchar_t> buffer(MAX_PATH);
    for (;;) {
        DWORD length = GetFullPathNameW(path.c_str(), static_cast<DWORD>(buffer.size()), buffer.data(), nullptr);
        if (length == 0) {
            CaptureLastSystemError();
            return false;
        }
        if (length < buffer.size()) {
            full->assign(buffer.data(), length);
            return true;
        }
        buffer.resize(length);
    }
}

// The volume and file index that identify a file, whatever path leads to it.
bool FileIdentity(const std::wstring& path, BY_HANDLE_FILE_INFORMATION* info) {
    HANDLE h = CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                           OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        CaptureLastSystemError();
        return false;
    }
    const bool ok = GetFileInformationByHandle(h, info) != 0;
    if (!ok) CaptureLastSystemError();
    CloseHandle(h);
    return ok;
}
}  // namespace

std::wstring AbsolutePcPath(const std::wstring& path) {
    std::wstring full;
    if (!FullPath(path, &full)) return path;
    // A trailing separator names the same folder; only a root keeps it.
    if (full.size() > 3 && (full.back() == L'\\' || full.back() == L'/')) full.pop_back();
    return full;
}

void SplitPcPath(const std::wstring& whole, std::wstring* folder, std::wstring* name) {
    const size_t separator = whole.find_last_of(L"\\/");
    if (separator == std::wstring::npos) {
        folder->clear();
        *name = whole;
        return;
    }
    *folder = whole.substr(0, separator);
    // C:\ is the root; C: alone would mean the current folder of drive C.
    if (folder->size() == 2 && (*folder)[1] == L':') *folder += L'\\';
    *name = whole.substr(separator + 1);
}

bool ResolvedPcPath(const std::wstring& path, std::wstring* resolved) {
    std::wstring full;
    if (!FullPath(path, &full)) return false;
    if (GetFileAttributesW(full.c_str()) == INVALID_FILE_ATTRIBUTES) {
        CaptureLastSystemError();
        return false;
    }
    *resolved = full;
    return true;
}

bool SamePcFile(const std::wstring& a, const std::wstring& b) {
    BY_HANDLE_FILE_INFORMATION first, second;
    return FileIdentity(a, &first) && FileIdentity(b, &second) &&
           first.dwVolumeSerialNumber == second.dwVolumeSerialNumber &&
           first.nFileIndexHigh == second.nFileIndexHigh && first.nFileIndexLow == second.nFileIndexLow;
}

bool IsBlockDevicePath(const std::wstring&) { return false; }

bool PcPathSize(const std::wstring& path, uint64_t* size) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) {
        CaptureLastSystemError();
        return false;
    }
    *size = (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    return true;
}
