// Probing a drive key.
#include "ui/drive_probe.h"

#include <filesystem>

#include "disk/attached_images.h"
#include "disk/drive_discovery.h"
#include "disk/sector_access.h"
#include "disk/system_error.h"

namespace {
// The image must still be there and still larger than one slot.
int ProbeImage(const DriveRecord& image, DriveRecord* record) {
    std::error_code error;
    const uintmax_t size = std::filesystem::file_size(std::filesystem::path(image.imagePath), error);
    if (error) {
        SetLastSystemError(static_cast<uint32_t>(error.value()));
        return PROBE_WIN_ERROR;
    }
    if (size / kSectorSize < static_cast<uintmax_t>(kSlotSectors) + 1) return PROBE_NOT_LISTED;
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
