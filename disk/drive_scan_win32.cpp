// The drive scan on Windows: the USB sticks found by drive discovery, then the attached
// images. Until the raw route to sticks exists only the images are listed.
#include "disk/attached_images.h"
#include "disk/drive_list.h"
#include "disk/drive_scan.h"

void ScanDrives(DriveList& list, std::vector<LargeSectorDrive>*) {
    ClearDriveList(list);
    // USB stick discovery (GetLogicalDriveStringsW and ProbeDrive) adds its records here.
    ProcessAttachedImages().MergeInto(list);
}
