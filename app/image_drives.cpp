// Attached image drives for the window program.
#include "app/image_drives.h"

#include <windows.h>

#include "disk/attached_images.h"
#include "disk/drive_list.h"

std::wstring SystemDriveLetters() {
    std::wstring letters;
    const DWORD mask = GetLogicalDrives();
    for (int i = 0; i < 26; ++i) {
        if (mask & (1u << i)) letters += static_cast<wchar_t>(L'A' + i);
    }
    return letters;
}

int AttachImageDrive(const std::wstring& path, DriveRecord* record) {
    // The system's letters cover the sticks too, so an empty list of listed drives is enough.
    DriveList none;
    return ProcessAttachedImages().Attach(path, none, record, SystemDriveLetters());
}
