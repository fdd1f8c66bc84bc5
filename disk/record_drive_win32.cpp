// Drive records on Windows: image files are opened as files; the raw route to USB sticks
// (OpenDrive with volume lock and dismount over the routed calls) plugs in here.
#include <windows.h>

#include "disk/attached_images.h"
#include "disk/record_drive.h"
#include "disk/system_error.h"

std::unique_ptr<RawDrive> OpenUsbDrive(const DriveRecord&) {
    // No raw route to sticks yet: refuse rather than pretend.
    SetLastSystemError(ERROR_NOT_SUPPORTED);
    return nullptr;
}

int RereadPartitionTable(const DriveRecord& record) {
    if (IsImageRecord(record)) return 0;
    // Sticks are restarted through the device installer; that belongs with the raw route.
    SetLastSystemError(ERROR_NOT_SUPPORTED);
    return -1;
}

bool IsDriveInUseError(uint32_t code) {
    return code == ERROR_SHARING_VIOLATION || code == ERROR_LOCK_VIOLATION;
}
