// The drive scan on POSIX systems: USB sticks from sysfs (none where there is no sysfs),
// then the attached images.
#include "disk/attached_images.h"
#include "disk/drive_list.h"
#include "disk/drive_scan.h"
#include "disk/linux_drives.h"

void ScanDrives(DriveList& list, std::vector<LargeSectorDrive>* largeSectorDrives) {
    ClearDriveList(list);
    ScanSysfsDrives(list, HostSysfsOptions(), largeSectorDrives);
    ProcessAttachedImages().MergeInto(list);
}
