// Whole paths on the PC, by the system's own rules: what a relative path means from the current
// folder, where links lead, whether two paths name one file. Failing calls store the OS error
// as the last system error.
#pragma once

#include <cstdint>
#include <string>

// The whole path with "." and ".." taken out as written and separators single, as Windows reads
// every path. An empty path, or one that cannot be made whole (no current folder), comes back
// as given.
std::wstring AbsolutePcPath(const std::wstring& path);

// The folder and the last name of a whole path from AbsolutePcPath; a root has no name.
void SplitPcPath(const std::wstring& whole, std::wstring* folder, std::wstring* name);

// The path of an existing object with every link resolved (/dev/disk/by-id/usb-... gives
// /dev/sdb); false when it does not exist.
bool ResolvedPcPath(const std::wstring& path, std::wstring* resolved);

// Whether both paths name one existing file, through links and different spellings.
bool SamePcFile(const std::wstring& a, const std::wstring& b);

// A block device (Linux); never true on Windows, where drives are not files.
bool IsBlockDevicePath(const std::wstring& path);

// The size of an existing file without opening it, so that a file another program holds still
// answers.
bool PcPathSize(const std::wstring& path, uint64_t* size);
