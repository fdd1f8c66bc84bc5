// Rebuilding the drive list of this machine: its qualifying USB sticks first, then the
// attached images in the slots left.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "disk/drive_record.h"

// A stick refused for its sector size, for the "不支持大扇区(%dB)U盘%s" message.
struct LargeSectorDrive {
    std::wstring driveName;
    uint32_t sectorSize = 0;
};

// Empties list.drives and fills it again. Never fails: a drive that cannot be probed is
// simply not listed. Sticks refused for their sector size are appended to largeSectorDrives
// when it is given, for the caller to tell the user.
void ScanDrives(DriveList& list, std::vector<LargeSectorDrive>* largeSectorDrives = nullptr);
