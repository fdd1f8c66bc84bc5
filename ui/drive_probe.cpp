// Probing a drive key.
#include "ui/drive_probe.h"

#include "disk/attached_images.h"
#include "disk/drive_discovery.h"
#include "disk/pc_path.h"
#include "disk/sector_access.h"
#include "disk/system_error.h"

namespace {
// The image must still be there and still larger than one slot.
int ProbeImage(const DriveRecord& image, DriveRecord* record) {
    uint64_t size = 0;
    if (!PcPathSize(image.imagePath, &size)) return PROBE_WIN_ERROR;
    if (size / kSectorSize < static_cast<uint64_t>(kSlotSectors) + 1) return PROBE_NOT_LISTED;
    *record = image;
    return PROBE_QUALIFIES;
}
}  // namespace

int ProbeDriveKey(const std::wstring& key, DriveRecord* record, LargeSectorDrive* largeSector) {
    record->deviceNumber = -1;
    for (const DriveRecord& image : ProcessAttachedImages().records()) {
        if (image.driveName == key) return ProbeImage(image, record);
    }
    return ProbeIntoRecord(key, record, largeSector);
}
