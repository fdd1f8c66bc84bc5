// The drive scan on Windows: the USB sticks found by drive discovery, then the attached
// images.
#include "disk/attached_images.h"
#include "disk/drive_discovery.h"
#include "disk/drive_list.h"
#include "disk/drive_scan.h"

void ScanDrives(DriveList& list, std::vector<LargeSectorDrive>* largeSectorDrives) {
    ClearDriveList(list);
    AddUsbDrives(list, largeSectorDrives);
    ProcessAttachedImages().MergeInto(list);
}
