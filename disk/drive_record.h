// The qualifying drives and the one the user works on. Real USB sticks come from drive
// discovery; image files standing in for sticks and Linux block devices join the same list.
#pragma once

#include <cstdint>
#include <string>

struct DriveRecord {
    int32_t deviceNumber = -1;  // physical drive number; -1 marks an empty record
    uint32_t lastSector = 0;    // address of the drive's last sector (sector count - 1)
    std::wstring driveName;     // drive letter with colon, e.g. E:
    std::wstring deviceName;    // vendor and product, or the image file it stands for
    std::wstring imagePath;     // image-backed drives and Linux devices: the file to open; empty for USB sticks

    bool operator==(const DriveRecord& o) const {
        return deviceNumber == o.deviceNumber && lastSector == o.lastSector && driveName == o.driveName &&
               deviceName == o.deviceName;
    }
    bool operator!=(const DriveRecord& o) const { return !(*this == o); }
};

constexpr int kDriveSlots = 26;

struct DriveList {
    DriveRecord currentDrive;
    DriveRecord drives[kDriveSlots];
    int32_t ignoreDeviceChanges = 0;
};
