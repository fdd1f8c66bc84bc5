// The PC side on Windows: FindFirstFileW with its 8.3 alias, CreateDirectoryW, file
// attributes, SetFileTime, and local time through the time-zone rules of each date.
#include <windows.h>

#include "blocks/pc_fs.h"
#include "blocks/short_alias.h"
#include "disk/system_error.h"

namespace {

PcTime FromFileTime(const FILETIME& ft) {
    return (static_cast<PcTime>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;
}

FILETIME ToFileTime(PcTime time) {
    FILETIME ft;
    ft.dwLowDateTime = static_cast<DWORD>(time & 0xFFFFFFFF);
    ft.dwHighDateTime = static_cast<DWORD>(time >> 32);
    return ft;
}

std::wstring Join(const std::wstring& dir, const wchar_t* name) {
    if (!dir.empty() && IsPcSeparator(dir.back())) return dir + name;
    return dir + L'\\' + name;
}

void Describe(const WIN32_FIND_DATAW& data, PcEntry* entry) {
    entry->name = data.cFileName;
    entry->shortName = data.cAlternateFileName;
    entry->pathName = entry->shortName.empty() ? entry->name : entry->shortName;
    entry->attributes = data.dwFileAttributes;
    entry->size = (static_cast<uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    entry->creationTime = FromFileTime(data.ftCreationTime);
    entry->accessTime = FromFileTime(data.ftLastAccessTime);
    entry->writeTime = FromFileTime(data.ftLastWriteTime);
    entry->link = (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
}

// A volume with 8.3 generation turned off gives long names no alias; they get one made as
// Windows would have made it, while their paths keep the long name.
void GiveMissingAliases(std::vector<PcEntry>* entries) {
    std::vector<std::wstring> names, reserved;
    std::vector<size_t> without;
    bool missing = false;
    for (size_t i = 0; i < entries->size(); ++i) {
        const PcEntry& entry = (*entries)[i];
        if (!entry.shortName.empty()) {
            reserved.push_back(entry.shortName);
            continue;
        }
        names.push_back(entry.name);
        without.push_back(i);
        missing = missing || !FitsShortName(entry.name);
    }
    if (!missing) return;
    std::vector<std::wstring> aliases = MakeShortAliases(names, reserved);
    for (size_t k = 0; k < without.size(); ++k)
        (*entries)[without[k]].shortName = aliases[k];
}

}  // namespace

bool PcFileSystem::ListDirectory(const std::wstring& dir, std::vector<PcEntry>* entries) {
    entries->clear();
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW(Join(dir, L"*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) {
        CaptureLastSystemError();
        return false;
    }
    do {
        if (wcscmp(data.cFileName, L".") == 0 || wcscmp(data.cFileName, L"..") == 0) continue;
        PcEntry entry;
        Describe(data, &entry);
        entries->push_back(std::move(entry));
    } while (FindNextFileW(find, &data));
    FindClose(find);
    GiveMissingAliases(entries);
    return true;
}

bool PcFileSystem::FindEntry(const std::wstring& dir, const std::wstring& name, PcEntry* entry) {
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW(Join(dir, name.c_str()).c_str(), &data);
    if (find == INVALID_HANDLE_VALUE) {
        CaptureLastSystemError();
        return false;
    }
    FindClose(find);
    Describe(data, entry);
    return true;
}

bool PcFileSystem::Exists(const std::wstring& path) {
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool PcFileSystem::MakeDirectory(const std::wstring& path) {
    if (CreateDirectoryW(path.c_str(), nullptr)) return true;
    DWORD error = GetLastError();
    DWORD attributes = GetFileAttributesW(path.c_str());
    if (error == ERROR_ALREADY_EXISTS && attributes != INVALID_FILE_ATTRIBUTES &&
        (attributes & FILE_ATTRIBUTE_DIRECTORY))
        return true;
    SetLastSystemError(error);
    return false;
}

bool PcFileSystem::RemoveEmptyDirectory(const std::wstring& path) {
    if (RemoveDirectoryW(path.c_str())) return true;
    CaptureLastSystemError();
    return false;
}

bool PcFileSystem::RemoveFile(const std::wstring& path) {
    if (DeleteFileW(path.c_str())) return true;
    CaptureLastSystemError();
    return false;
}

bool PcFileSystem::ReadAttributes(const std::wstring& path, uint32_t* attributes) {
    DWORD value = GetFileAttributesW(path.c_str());
    if (value == INVALID_FILE_ATTRIBUTES) {
        CaptureLastSystemError();
        return false;
    }
    *attributes = value;
    return true;
}

bool PcFileSystem::WriteAttributes(const std::wstring& path, uint32_t attributes) {
    DWORD value = attributes & (kPcReadOnly | kPcHidden | kPcSystem | kPcArchive);
    if (SetFileAttributesW(path.c_str(), value ? value : FILE_ATTRIBUTE_NORMAL)) return true;
    CaptureLastSystemError();
    return false;
}

bool PcFileSystem::WriteTimes(const std::wstring& path,
                              const PcTime* creation,
                              const PcTime* access,
                              const PcTime* write) {
    // Backup semantics open directories as well as files.
    HANDLE h = CreateFileW(path.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS,
                           nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        CaptureLastSystemError();
        return false;
    }
    FILETIME c = creation ? ToFileTime(*creation) : FILETIME{};
    FILETIME a = access ? ToFileTime(*access) : FILETIME{};
    FILETIME w = write ? ToFileTime(*write) : FILETIME{};
    if (creation || access || write) {
        if (!SetFileTime(h, creation ? &c : nullptr, access ? &a : nullptr, write ? &w : nullptr))
            CaptureLastSystemError();
    }
    CloseHandle(h);
    return true;
}

bool PcFileSystem::PcTimeFromDos(DosStamp stamp, PcTime* time) {
    CivilTime civil;
    if (!CivilFromDos(stamp, &civil)) return false;
    SYSTEMTIME local = {};
    local.wYear = static_cast<WORD>(civil.year);
    local.wMonth = static_cast<WORD>(civil.month);
    local.wDay = static_cast<WORD>(civil.day);
    local.wHour = static_cast<WORD>(civil.hour);
    local.wMinute = static_cast<WORD>(civil.minute);
    local.wSecond = static_cast<WORD>(civil.second);
    SYSTEMTIME utc;
    FILETIME ft;
    if (!TzSpecificLocalTimeToSystemTime(nullptr, &local, &utc) || !SystemTimeToFileTime(&utc, &ft)) return false;
    *time = FromFileTime(ft);
    return true;
}

DosStamp PcFileSystem::DosFromPcTime(PcTime time) {
    FILETIME ft = ToFileTime(time);
    SYSTEMTIME utc, local;
    if (!FileTimeToSystemTime(&ft, &utc) || !SystemTimeToTzSpecificLocalTime(nullptr, &utc, &local))
        return DosFromCivil(CivilTime{1980, 1, 1, 0, 0, 0});
    return DosFromCivil(CivilTime{local.wYear, local.wMonth, local.wDay, local.wHour, local.wMinute, local.wSecond});
}
