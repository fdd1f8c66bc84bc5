// The PC side on POSIX systems: readdir and stat, mkdir, chmod for read-only, utimensat for
// times, and short aliases made here since the file system keeps none.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <ctime>

#include "blocks/pc_fs.h"
#include "blocks/short_alias.h"
#include "disk/system_error.h"
#include "disk/wide_path.h"

namespace {

constexpr int64_t kUnixEpochSeconds = 11644473600;  // 1601-01-01 to 1970-01-01
constexpr int64_t kTicksPerSecond = 10000000;

PcTime PcTimeFromTimespec(const struct timespec& ts) {
    int64_t ticks = (static_cast<int64_t>(ts.tv_sec) + kUnixEpochSeconds) * kTicksPerSecond + ts.tv_nsec / 100;
    return ticks < 0 ? 0 : static_cast<PcTime>(ticks);
}

struct timespec TimespecFromPcTime(PcTime time) {
    struct timespec ts;
    ts.tv_sec = static_cast<time_t>(static_cast<int64_t>(time / kTicksPerSecond) - kUnixEpochSeconds);
    ts.tv_nsec = static_cast<long>(time % kTicksPerSecond) * 100;
    return ts;
}

wchar_t FoldAscii(wchar_t c) {
    return (c >= L'a' && c <= L'z') ? static_cast<wchar_t>(c - L'a' + L'A') : c;
}

bool SameIgnoringCase(const std::wstring& a, const std::wstring& b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](wchar_t x, wchar_t y) { return FoldAscii(x) == FoldAscii(y); });
}

std::string Native(const std::wstring& path) {
    return Utf8FromWide(path);
}

// Read-only is the owner's write bit; a directory's is not kept, since on Linux it would shut
// out the files copied into it, while Windows ignores it there.
uint32_t AttributesOf(const struct stat& st) {
    if (S_ISDIR(st.st_mode)) return kPcDirectory;
    return (st.st_mode & S_IWUSR) ? 0 : kPcReadOnly;
}

// Fills everything but the names; false when the entry has gone meanwhile. Entries that are
// neither directories nor regular files are marked special: reading a pipe would never end.
bool DescribeEntry(const std::string& path, PcEntry* entry) {
    struct stat own;
    if (lstat(path.c_str(), &own) != 0) return false;
    struct stat st = own;
    entry->link = S_ISLNK(own.st_mode);
    if (entry->link && stat(path.c_str(), &st) != 0) st = own;
    entry->special = !S_ISDIR(st.st_mode) && !S_ISREG(st.st_mode);
    entry->attributes = AttributesOf(st);
    entry->size = S_ISREG(st.st_mode) ? static_cast<uint64_t>(st.st_size) : 0;
    entry->accessTime = PcTimeFromTimespec(st.st_atim);
    entry->writeTime = PcTimeFromTimespec(st.st_mtim);
    entry->creationTime = entry->writeTime;
#ifdef STATX_BTIME
    struct statx sx;
    if (statx(AT_FDCWD, path.c_str(), 0, STATX_BTIME, &sx) == 0 && (sx.stx_mask & STATX_BTIME)) {
        struct timespec birth = {static_cast<time_t>(sx.stx_btime.tv_sec), static_cast<long>(sx.stx_btime.tv_nsec)};
        entry->creationTime = PcTimeFromTimespec(birth);
    }
#endif
    return true;
}

}  // namespace

bool PcFileSystem::ListDirectory(const std::wstring& dir, std::vector<PcEntry>* entries) {
    entries->clear();
    std::string native = Native(dir);
    DIR* handle = opendir(native.c_str());
    if (!handle) {
        CaptureLastSystemError();
        return false;
    }
    if (!native.empty() && native.back() != '/') native += '/';
    errno = 0;
    while (struct dirent* d = readdir(handle)) {
        std::string name = d->d_name;
        if (name == "." || name == "..") continue;
        PcEntry entry;
        if (!DescribeEntry(native + name, &entry)) continue;
        entry.name = WideFromUtf8(name);
        entry.pathName = entry.name;
        entries->push_back(std::move(entry));
    }
    closedir(handle);
    std::sort(entries->begin(), entries->end(), [](const PcEntry& a, const PcEntry& b) { return a.name < b.name; });

    std::vector<std::wstring> names;
    for (const PcEntry& entry : *entries)
        names.push_back(entry.name);
    std::vector<std::wstring> aliases = MakeShortAliases(names);
    for (size_t i = 0; i < entries->size(); ++i)
        (*entries)[i].shortName = aliases[i];
    return true;
}

bool PcFileSystem::FindEntry(const std::wstring& dir, const std::wstring& name, PcEntry* entry) {
    std::vector<PcEntry> entries;
    if (!ListDirectory(dir, &entries)) return false;
    auto exact = std::find_if(entries.begin(), entries.end(), [&](const PcEntry& e) { return e.name == name; });
    if (exact == entries.end()) {
        exact = std::find_if(entries.begin(), entries.end(),
                             [&](const PcEntry& e) { return SameIgnoringCase(e.name, name); });
    }
    if (exact == entries.end()) {
        SetLastSystemError(ENOENT);
        return false;
    }
    *entry = *exact;
    return true;
}

bool PcFileSystem::Exists(const std::wstring& path) {
    struct stat st;
    return lstat(Native(path).c_str(), &st) == 0;
}

bool PcFileSystem::MakeDirectory(const std::wstring& path) {
    std::string native = Native(path);
    if (mkdir(native.c_str(), 0777) == 0) return true;
    int error = errno;
    struct stat st;
    if (error == EEXIST && stat(native.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) return true;
    SetLastSystemError(static_cast<uint32_t>(error));
    return false;
}

bool PcFileSystem::RemoveEmptyDirectory(const std::wstring& path) {
    std::string native = Native(path);
    struct stat st;
    bool link = lstat(native.c_str(), &st) == 0 && S_ISLNK(st.st_mode);
    if ((link ? unlink(native.c_str()) : rmdir(native.c_str())) == 0) return true;
    CaptureLastSystemError();
    return false;
}

bool PcFileSystem::RemoveFile(const std::wstring& path) {
    if (unlink(Native(path).c_str()) == 0) return true;
    CaptureLastSystemError();
    return false;
}

bool PcFileSystem::ReadAttributes(const std::wstring& path, uint32_t* attributes) {
    struct stat st;
    if (stat(Native(path).c_str(), &st) != 0) {
        CaptureLastSystemError();
        return false;
    }
    *attributes = AttributesOf(st);
    return true;
}

bool PcFileSystem::WriteAttributes(const std::wstring& path, uint32_t attributes) {
    std::string native = Native(path);
    struct stat st;
    if (stat(native.c_str(), &st) != 0) {
        CaptureLastSystemError();
        return false;
    }
    if (S_ISDIR(st.st_mode)) return true;
    mode_t mode = st.st_mode & 07777;
    mode_t wanted = (attributes & kPcReadOnly) ? (mode & ~(S_IWUSR | S_IWGRP | S_IWOTH)) : (mode | S_IWUSR);
    if (wanted == mode || chmod(native.c_str(), wanted) == 0) return true;
    CaptureLastSystemError();
    return false;
}

bool PcFileSystem::WriteTimes(const std::wstring& path,
                              const PcTime* /*creation*/,
                              const PcTime* access,
                              const PcTime* write) {
    std::string native = Native(path);
    struct stat st;
    if (stat(native.c_str(), &st) != 0) {
        CaptureLastSystemError();
        return false;
    }
    struct timespec times[2];
    times[0].tv_nsec = UTIME_OMIT;
    times[1].tv_nsec = UTIME_OMIT;
    if (access) times[0] = TimespecFromPcTime(*access);
    if (write) times[1] = TimespecFromPcTime(*write);
    if ((access || write) && utimensat(AT_FDCWD, native.c_str(), times, 0) != 0) CaptureLastSystemError();
    return true;
}

bool PcFileSystem::PcTimeFromDos(DosStamp stamp, PcTime* time) {
    CivilTime civil;
    if (!CivilFromDos(stamp, &civil)) return false;
    struct tm parts = {};
    parts.tm_year = civil.year - 1900;
    parts.tm_mon = civil.month - 1;
    parts.tm_mday = civil.day;
    parts.tm_hour = civil.hour;
    parts.tm_min = civil.minute;
    parts.tm_sec = civil.second;
    parts.tm_isdst = -1;
    time_t seconds = mktime(&parts);
    if (seconds == static_cast<time_t>(-1)) return false;
    struct timespec ts = {seconds, 0};
    *time = PcTimeFromTimespec(ts);
    return true;
}

DosStamp PcFileSystem::DosFromPcTime(PcTime time) {
    time_t seconds = TimespecFromPcTime(time).tv_sec;
    struct tm parts;
    if (!localtime_r(&seconds, &parts)) return DosFromCivil(CivilTime{1980, 1, 1, 0, 0, 0});
    return DosFromCivil(
        CivilTime{parts.tm_year + 1900, parts.tm_mon + 1, parts.tm_mday, parts.tm_hour, parts.tm_min, parts.tm_sec});
}
