// Title, selection summary and tip texts.
#include "ui/view_texts.h"

#include "app/texts.h"
#include "disk/drive_discovery.h"

namespace {
constexpr int kTextSelectedMany = 51402;
constexpr int kTextBlockCount = 51403;
constexpr int kTextSelectedOne = 51404;
constexpr int kTextBlockTip = 51405;
constexpr int kTextDriveTip = 51406;
constexpr int kTextTipGigabytes = 0x10023;
constexpr int kTextTipMegabytes = 0x10024;
constexpr int kTextUsbDevice = 0x10025;
constexpr int kTextVersion = 0x10030;
constexpr int kTextWebAddress = 0x10031;
constexpr int kTextTitleDrive = 0x10033;

constexpr double kGibibyte = 1073741824.0;
constexpr double kMebibyte = 1048576.0;
}  // namespace

std::wstring MainWindowTitle(const std::wstring& appTitle, const DriveList& drives) {
    return appTitle + TextById(kTextVersion) + L" - " + TextById(kTextWebAddress) + L" - " +
           FormatTextId(kTextTitleDrive, {CurrentDriveTitle(drives)});
}

std::wstring SelectionSummary(int selectedCount, int itemCount, const std::wstring (&firstSelected)[4]) {
    if (selectedCount == 1)
        return FormatTextId(kTextSelectedOne, {firstSelected[0], firstSelected[1], firstSelected[2], firstSelected[3]});
    if (selectedCount == 0) return FormatTextId(kTextBlockCount, {itemCount});
    return FormatTextId(kTextSelectedMany, {selectedCount});
}

std::wstring BlockTipText(const std::wstring& capacity, const std::wstring& used, const std::wstring& renewTime) {
    return FormatTextId(kTextBlockTip, {capacity, used, renewTime});
}

std::wstring DriveTipCapacity(uint32_t lastSector) {
    const double bytes = static_cast<double>(lastSector) * 512.0;
    if (bytes > kGibibyte) return FormatTextId(kTextTipGigabytes, {bytes / kGibibyte});
    return FormatTextId(kTextTipMegabytes, {bytes / kMebibyte});
}

std::wstring DriveTipText(const DriveRecord& drive) {
    return FormatTextId(kTextDriveTip, {DriveTipCapacity(drive.lastSector), drive.deviceNumber,
                                        drive.deviceName + TextById(kTextUsbDevice)});
}
