// The PC side of copying between blocks and PC directories: directory listings with 8.3 short
// aliases, directories, attributes, file times and local time, behind one thin class whose
// system calls live in pc_fs_win32.cpp and pc_fs_posix.cpp. Failing calls store the OS error as
// the last system error.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "disk/pc_file.h"

// 100-nanosecond ticks since 1601-01-01 UTC: the PC's file time on every platform.
using PcTime = uint64_t;

// Attribute bits, valued as on a FAT entry and in Windows. On Linux only read-only (the owner's
// write bit) and directory exist; hidden, system and archive are kept only on Windows.
constexpr uint32_t kPcReadOnly = 0x01;
constexpr uint32_t kPcHidden = 0x02;
constexpr uint32_t kPcSystem = 0x04;
constexpr uint32_t kPcDirectory = 0x10;
constexpr uint32_t kPcArchive = 0x20;

#ifdef _WIN32
constexpr wchar_t kPcSeparator = L'\\';
#else
constexpr wchar_t kPcSeparator = L'/';
#endif

inline bool IsPcSeparator(wchar_t c) {
    return c == L'\\' || c == L'/';
}

// One entry of a PC directory ("." and ".." are never listed).
struct PcEntry {
    std::wstring name;
    std::wstring shortName;  // the 8.3 alias; empty when the name is an 8.3 name itself
    std::wstring pathName;   // the name to build paths with: the alias where the system resolves one
    uint32_t attributes = 0;
    uint64_t size = 0;
    PcTime creationTime = 0;
    PcTime accessTime = 0;
    PcTime writeTime = 0;
    bool link = false;     // a symbolic link or junction: removed as a link, never emptied
    bool special = false;  // a device, pipe, socket or dangling link (Linux): never copied

    bool IsDirectory() const { return (attributes & kPcDirectory) != 0; }
};

// A DOS-packed local date and time, as on a FAT entry.
struct DosStamp {
    uint16_t date = 0;
    uint16_t time = 0;
};

// The times of a FAT entry that are carried to the PC.
struct EntryTimes {
    DosStamp creation;
    DosStamp access;  // the volume keeps no access time: its time is 0
    DosStamp write;
};

class PcFileSystem {
public:
    // System calls (pc_fs_win32.cpp / pc_fs_posix.cpp).

    // The entries of dir, in the system's order on Windows and by name elsewhere (readdir has
    // no order worth keeping). Links are followed to describe what they point at.
    bool ListDirectory(const std::wstring& dir, std::vector<PcEntry>* entries);
    // The entry called name in dir, found without regard to case as Windows finds files.
    bool FindEntry(const std::wstring& dir, const std::wstring& name, PcEntry* entry);
    bool Exists(const std::wstring& path);
    // One level; a directory that exists already is success.
    bool MakeDirectory(const std::wstring& path);
    // An empty directory, or a link to a directory.
    bool RemoveEmptyDirectory(const std::wstring& path);
    bool RemoveFile(const std::wstring& path);
    bool ReadAttributes(const std::wstring& path, uint32_t* attributes);
    bool WriteAttributes(const std::wstring& path, uint32_t attributes);
    // Sets the times given (null leaves one as it is). False only when the object cannot be
    // opened; Linux has no settable creation time.
    bool WriteTimes(const std::wstring& path, const PcTime* creation, const PcTime* access, const PcTime* write);

    // Local time through the time-zone rules of the date in question. False for a stamp that
    // is no valid date and time.
    static bool PcTimeFromDos(DosStamp stamp, PcTime* time);
    // Times before 1980 or after 2107 are clamped to the first or last DOS time.
    static DosStamp DosFromPcTime(PcTime time);

    // Portable (pc_fs.cpp).

    // Creates every level of path; an existing directory is not an error. 0, or -1 with the
    // last system error stored.
    int CreateDirectoryPath(const std::wstring& path);
    // Deletes the files and subdirectories in path (subdirectories whose names begin with "."
    // stay), then path itself unless keepTop is 1. 0, or -1 with the last system error stored.
    int DeleteDirectoryContents(const std::wstring& path, int keepTop);
    // Creates the PC file for a copied entry: fileExistMode 1 keeps an existing file and takes
    // the first free counted name (report(2).txt, report(3).txt, ...), 0 replaces it. path is
    // rewritten with the name used. False with the last system error stored.
    bool CreatePcFile(std::wstring* path, int32_t fileExistMode, PcFile* file);
    // Sets the entry's times on a PC file or directory; a time that is no valid DOS date
    // leaves the PC's time as it is. 1 if the object could be opened, else 0.
    int ApplyEntryTimes(const std::wstring& path, const EntryTimes& times);
};

// The rename mode's name for n: report.txt gives report(n).txt, README gives README(n). The
// extension starts at a dot met before any separator, scanning from the end.
std::wstring CountedName(const std::wstring& name, unsigned n);

// Date and time parts of DOS stamps (pc_fs.cpp), shared by both implementations.
struct CivilTime {
    int year, month, day, hour, minute, second;
};
bool CivilFromDos(DosStamp stamp, CivilTime* civil);
DosStamp DosFromCivil(const CivilTime& civil);
