// Opening a drive record's drive: images and block devices as files, sticks by the raw route.
#include "disk/record_drive.h"

#include "disk/attached_images.h"
#include "disk/image_drive.h"
#include "disk/system_error.h"
#include "disk/pc_path.h"

std::unique_ptr<RawDrive> OpenRecordDrive(const DriveRecord& record, bool forWriting) {
    if (record.imagePath.empty()) return OpenUsbDrive(record);
    // A block device is held exclusively even when attached as an image, so that a mounted
    // file system cannot change under the blocks.
    const bool device = !IsImageRecord(record) || IsBlockDevicePath(record.imagePath);
    return ImageDrive::Open(record.imagePath, forWriting, device);
}

std::wstring DriveOpenErrorText(const DriveRecord& record, uint32_t code, bool forWriting) {
    const bool image = IsImageRecord(record);
    const std::wstring& name = image ? record.imagePath : record.driveName;
    if (IsDriveInUseError(code)) {
        if (image) return L"The image " + name + L" is in use by another program";
        return L"The drive " + name + L" is in use (mounted?); unmount it first";
    }
    std::wstring reason = SystemErrorText(code);
    if (reason.empty()) reason = L"error " + std::to_wstring(code);
    if (forWriting && IsReadOnlyError(code)) {
        return (image ? L"The image " : L"The drive ") + name + L" is read-only (" + reason +
               L"): its blocks can be listed, opened and exported, but not changed";
    }
    return (image ? L"Cannot open the image " : L"Cannot open the drive ") + name + L": " + reason;
}
