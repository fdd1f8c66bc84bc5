// The portable decisions of drive discovery: which device changes count, what becomes of the
// current drive after a rescan, and the texts the window shows for drives.
#include "disk/drive_discovery.h"

#include "app/texts.h"
#include "disk/drive_list.h"

namespace {
constexpr int kTextLargeSectorDrive = 0x10020;  // "不支持大扇区(%dB)U盘%s" of app/texts.def
}  // namespace

bool IsDriveChangeEvent(uint32_t event, uint32_t deviceType, int32_t ignoreDeviceChanges) {
    if (event != kDeviceArrival && event != kDeviceRemoveComplete) return false;
    return deviceType == kDeviceTypeInterface && ignoreDeviceChanges == 0;
}

bool ForgetVanishedCurrentDrive(DriveList& list) {
    if (list.currentDrive.deviceNumber == -1) return false;
    if (FindDrive(list, list.currentDrive) >= 0) return false;
    list.currentDrive.deviceNumber = -1;
    return true;
}

std::wstring CurrentDriveTitle(const DriveList& list) {
    return list.currentDrive.deviceNumber == -1 ? std::wstring(L"#") : list.currentDrive.driveName;
}

std::wstring LargeSectorText(const LargeSectorDrive& drive) {
    return FormatTextId(kTextLargeSectorDrive, {static_cast<int>(drive.sectorSize), drive.driveName});
}
