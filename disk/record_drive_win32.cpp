// Drive records on Windows: image files are opened as files; USB sticks by OpenDrive, with
// volume lock and dismount over the routed raw calls.
#include <windows.h>

#include "disk/attached_images.h"
#include "disk/drive_discovery.h"
#include "disk/record_drive.h"
#include "disk/system_error.h"
#include "disk/usb_drive.h"

std::unique_ptr<RawDrive> OpenUsbDrive(const DriveRecord& record) {
    auto drive = std::make_unique<UsbDrive>();
    if (!drive->OpenDrive(record.deviceNumber, record.driveName)) {
        CaptureLastSystemError();
        return nullptr;
    }
    return drive;
}

int RereadPartitionTable(const DriveRecord& record) {
    if (IsImageRecord(record)) return 0;
    // A stick's volume device is stopped and started, so that the system reads it afresh.
    return RestartDiskDevice(record.driveName);
}

bool IsDriveInUseError(uint32_t code) {
    return code == ERROR_SHARING_VIOLATION || code == ERROR_LOCK_VIOLATION;
}

bool IsReadOnlyError(uint32_t code) {
    return code == ERROR_ACCESS_DENIED || code == ERROR_WRITE_PROTECT;
}
