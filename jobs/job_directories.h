// Where open, save and backup put a drive's blocks on the PC: a root, a level named after the
// drive, then FLOPPYkkk per block. On Windows the drive level is the drive letter and the
// separator a backslash; elsewhere the level is the image's or device's base name.
#pragma once

#include <cstdint>
#include <string>

#include "disk/drive_record.h"

struct DirectoryStyle {
    wchar_t separator = L'\\';
    bool driveLetterLevel = true;  // false: the base name of the drive's file
};

// The style of the platform the program runs on (job_directories_win32.cpp / _posix.cpp).
DirectoryStyle NativeDirectoryStyle();

class JobDirectories {
public:
    // rootOverride non-empty: blocks go straight under it, with no drive level (the
    // command-line tool's --dir).
    JobDirectories(const DirectoryStyle& style, const DriveRecord& drive, const std::wstring& rootOverride);

    // The directory that holds the blocks of an open or save: savePath\E, or the override.
    std::wstring UploadRoot(const std::wstring& savePath) const;
    // The directory of one backup: backupPath\<stamp>\E, or override\<stamp>.
    std::wstring BackupRoot(const std::wstring& backupPath, const std::wstring& stamp) const;
    // root\FLOPPYkkk.
    std::wstring BlockDirectory(const std::wstring& root, uint32_t block) const;

    // The drive level: its letter, or its file's base name.
    const std::wstring& driveLevel() const { return driveLevel_; }

private:
    std::wstring Join(const std::wstring& left, const std::wstring& right) const;

    DirectoryStyle style_;
    std::wstring driveLevel_;
    std::wstring rootOverride_;
};

// The backup time stamp, "%04d%02d%02d%02d%02d%02d" of the local time (20261205195944).
std::wstring BackupStamp();
