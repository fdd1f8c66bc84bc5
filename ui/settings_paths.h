// The settings dialog's rules for a root directory typed by the user: it must name a drive, it
// is made level by level, and one trailing backslash is dropped before it is stored.
#pragma once

#include <string>

class PcFileSystem;

// True when text holds a drive colon anywhere; relative paths such as "DISK" have none.
bool HasDriveColon(const std::wstring& text);

// Makes every level of path. True when the directory exists afterwards, and also when the
// system denied access (a drive root or a protected parent that may well hold it); false with
// the last system error stored otherwise, including a file standing where a level should be.
bool MakeRootDirectory(PcFileSystem& pc, const std::wstring& path);

// path without one trailing backslash ("C:\" becomes "C:", "C:\up\\" becomes "C:\up\").
std::wstring WithoutTrailingBackslash(const std::wstring& path);
