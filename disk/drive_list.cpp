// The list of qualifying drives and its one-line descriptions.
#include "disk/drive_list.h"

#include <cstdio>

#include "disk/wide_path.h"

void ClearDriveList(DriveList& list) {
    for (DriveRecord& slot : list.drives)
        slot.deviceNumber = -1;
}

int CountListedDrives(const DriveList& list) {
    int count = 0;
    while (count < kDriveSlots && list.drives[count].deviceNumber != -1)
        ++count;
    return count;
}

int AddDriveRecord(DriveList& list, const DriveRecord& record) {
    for (int i = 0; i < kDriveSlots; ++i) {
        DriveRecord& slot = list.drives[i];
        if (slot.deviceNumber == record.deviceNumber) return -1;
        if (slot.deviceNumber == -1) {
            slot = record;
            return i;
        }
    }
    return -1;
}

int FindDrive(const DriveList& list, const DriveRecord& record) {
    for (int i = 0; i < kDriveSlots && list.drives[i].deviceNumber != -1; ++i) {
        if (list.drives[i] == record) return i;
    }
    return -1;
}

std::wstring DriveCapacityText(uint32_t lastSector) {
    // 64-bit bytes: sticks of 4 GiB and more must not wrap around.
    const uint64_t bytes = static_cast<uint64_t>(lastSector) * 512;
    const uint64_t gib = 1ull << 30;
    char text[64];
    if (bytes > gib) {
        std::snprintf(text, sizeof text, "(%.2f G)", static_cast<double>(bytes) / static_cast<double>(gib));
    } else {
        std::snprintf(text, sizeof text, "(%.2f MB)", static_cast<double>(bytes) / static_cast<double>(1u << 20));
    }
    return WideFromUtf8(text);
}

std::wstring DriveListLine(const DriveRecord& record) {
    return record.driveName + L" " + DriveCapacityText(record.lastSector) + L" " +
           std::to_wstring(record.deviceNumber) + L" " + record.deviceName + L" USB Device";
}
