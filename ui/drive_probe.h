// Probing the drive a device tree item names: an attached image is checked on its file, any
// other drive letter is probed as a USB stick (drive discovery's ProbeIntoRecord).
#pragma once

#include <string>

#include "disk/drive_record.h"
#include "disk/drive_scan.h"

// Marks record empty, then fills it when the drive named key (E:) is there and qualifies.
// Returns a ProbeStatus (disk/drive_discovery.h). A stick refused for its sector size is
// described in *largeSector when it is given.
int ProbeDriveKey(const std::wstring& key, DriveRecord* record, LargeSectorDrive* largeSector = nullptr);
