// The directory layout of open, save and backup.
#include "jobs/job_directories.h"

#include <cstdio>

#include "blocks/local_time.h"

namespace {
std::wstring BaseName(const std::wstring& path) {
    size_t end = path.find_last_not_of(L"/\\");
    if (end == std::wstring::npos) return path;
    size_t start = path.find_last_of(L"/\\", end);
    start = start == std::wstring::npos ? 0 : start + 1;
    return path.substr(start, end + 1 - start);
}
}  // namespace

JobDirectories::JobDirectories(const DirectoryStyle& style, const DriveRecord& drive, const std::wstring& rootOverride)
    : style_(style), rootOverride_(rootOverride) {
    if (style_.driveLetterLevel) {
        if (!drive.driveName.empty()) driveLevel_.assign(1, drive.driveName[0]);
    } else {
        driveLevel_ = BaseName(drive.imagePath.empty() ? drive.driveName : drive.imagePath);
    }
    // "out/" and "out" name the same root; keep a lone "/" as it is.
    while (rootOverride_.size() > 1 && (rootOverride_.back() == L'/' || rootOverride_.back() == style_.separator))
        rootOverride_.pop_back();
}

std::wstring JobDirectories::Join(const std::wstring& left, const std::wstring& right) const {
    return left + style_.separator + right;
}

std::wstring JobDirectories::UploadRoot(const std::wstring& savePath) const {
    if (!rootOverride_.empty()) return rootOverride_;
    return Join(savePath, driveLevel_);
}

std::wstring JobDirectories::BackupRoot(const std::wstring& backupPath, const std::wstring& stamp) const {
    if (!rootOverride_.empty()) return Join(rootOverride_, stamp);
    return Join(Join(backupPath, stamp), driveLevel_);
}

std::wstring JobDirectories::BlockDirectory(const std::wstring& root, uint32_t block) const {
    wchar_t name[32];
    std::swprintf(name, 32, L"FLOPPY%03u", block);
    return Join(root, name);
}

std::wstring BackupStamp() {
    LocalTime now = CurrentLocalTime();
    wchar_t stamp[64];
    std::swprintf(stamp, 64, L"%04d%02d%02d%02d%02d%02d", now.year, now.month, now.day, now.hour, now.minute,
                  now.second);
    return stamp;
}
