// Attached image files: their drive records and the letters and numbers they take.
#include "disk/attached_images.h"

#include <cwctype>

#include "disk/drive_list.h"
#include "disk/image_drive.h"
#include "disk/pc_path.h"
#include "disk/sector_access.h"
#include "disk/system_error.h"

namespace {

// The upper-case letter of a name such as E:, or 0 for names that are no drive letter
// (Linux device paths).
wchar_t DriveLetterOf(const std::wstring& name) {
    if (name.size() != 2 || name[1] != L':') return 0;
    return static_cast<wchar_t>(std::towupper(name[0]));
}

std::wstring FileNameOf(const std::wstring& path) {
#ifdef _WIN32
    const size_t separator = path.find_last_of(L"\\/");
#else
    const size_t separator = path.rfind(L'/');
#endif
    return separator == std::wstring::npos || separator + 1 == path.size() ? path : path.substr(separator + 1);
}

}  // namespace

int AttachedImages::Attach(const std::wstring& path,
                           const DriveList& listed,
                           DriveRecord* record,
                           const std::wstring& lettersInUse) {
    const std::wstring absolute = AbsolutePcPath(path);

    uint64_t size = 0;
    {
        std::unique_ptr<ImageDrive> image = ImageDrive::Open(absolute, false);
        if (!image) return ATTACH_WIN_ERROR;
        size = image->SizeBytes();
    }
    // Drives report their last sector; a drive qualifies only when it is larger than one slot.
    const uint64_t sectors = size / kSectorSize;
    if (sectors < static_cast<uint64_t>(kSlotSectors) + 1) return ATTACH_TOO_SMALL;
    // The sector count of a drive is 32-bit; larger images report the highest address, as
    // READ CAPACITY (10) does for drives beyond 2 TiB.
    const uint32_t lastSector = sectors - 1 > 0xFFFFFFFFu ? 0xFFFFFFFFu : static_cast<uint32_t>(sectors - 1);
    for (const DriveRecord& other : records_) {
        // Only a file of the same size can be the same file; asking the file system is slow.
        if (other.lastSector == lastSector && SamePcFile(absolute, other.imagePath)) {
            return ATTACH_DUPLICATE;
        }
    }

    bool taken[26] = {};
    auto take = [&taken](wchar_t letter) {
        if (letter >= L'A' && letter <= L'Z') taken[letter - L'A'] = true;
    };
    for (int i = 0; i < CountListedDrives(listed); ++i)
        take(DriveLetterOf(listed.drives[i].driveName));
    for (const DriveRecord& other : records_)
        take(DriveLetterOf(other.driveName));
    for (wchar_t letter : lettersInUse)
        take(static_cast<wchar_t>(std::towupper(letter)));
    wchar_t letter = 0;
    for (wchar_t candidate = L'Y'; candidate >= L'C'; --candidate) {
        if (!taken[candidate - L'A']) {
            letter = candidate;
            break;
        }
    }
    if (letter == 0) return ATTACH_NO_LETTER;

    int32_t number = kFirstImageDeviceNumber;
    for (bool clash = true; clash;) {
        clash = false;
        for (const DriveRecord& other : records_) {
            if (other.deviceNumber == number) {
                ++number;
                clash = true;
            }
        }
    }

    DriveRecord added;
    added.deviceNumber = number;
    added.lastSector = lastSector;
    added.driveName = std::wstring(1, letter) + L":";
    added.deviceName = L"Image " + FileNameOf(absolute);
    added.imagePath = absolute;
    records_.push_back(added);
    if (record) *record = added;
    return ATTACH_OK;
}

bool AttachedImages::Detach(int32_t deviceNumber) {
    for (auto it = records_.begin(); it != records_.end(); ++it) {
        if (it->deviceNumber == deviceNumber) {
            records_.erase(it);
            return true;
        }
    }
    return false;
}

void AttachedImages::MergeInto(DriveList& list) const {
    for (const DriveRecord& image : records_)
        AddDriveRecord(list, image);
}

AttachedImages& ProcessAttachedImages() {
    static AttachedImages images;
    return images;
}

std::wstring AttachStatusText(int status, const std::wstring& path) {
    switch (status) {
        case ATTACH_OK: return std::wstring();
        case ATTACH_TOO_SMALL:
            return L"The image " + path +
                   L" is too small to stand in for a drive: it must be larger than one floppy disk block "
                   L"(at least 1,573,376 bytes)";
        case ATTACH_DUPLICATE: return L"The image " + path + L" is attached already";
        case ATTACH_NO_LETTER: return L"No free drive letter is left for the image " + path;
        default: {
            std::wstring reason = SystemErrorText(LastSystemError());
            if (reason.empty()) reason = L"error " + std::to_wstring(LastSystemError());
            return L"Cannot open the image " + path + L": " + reason;
        }
    }
}
