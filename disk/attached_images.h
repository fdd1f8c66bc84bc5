// Image files standing in for USB sticks. The user attaches an image; it gets a drive record
// like a real stick (a drive letter counting down from Y:, a device number of 1000 or more,
// the last sector from its size, a device name naming the file) and joins the drive list
// after the real drives at every scan.
#pragma once

#include <string>
#include <vector>

#include "disk/drive_record.h"

// Device numbers from here on belong to attached images; real drives stay below.
constexpr int32_t kFirstImageDeviceNumber = 1000;

// Results of AttachedImages::Attach.
enum AttachStatus : int {
    ATTACH_OK = 0,          // attached; the record is filled
    ATTACH_WIN_ERROR = -1,  // the file cannot be opened or sized; last system error stored
    ATTACH_TOO_SMALL = 1,   // not larger than one block slot (fewer than 3073 sectors)
    ATTACH_DUPLICATE = 2,   // the same file is attached already
    ATTACH_NO_LETTER = 3,   // every letter from Y: down to C: is taken
};

// True for records of attached images (as opposed to sticks and Linux block devices).
inline bool IsImageRecord(const DriveRecord& record) {
    return record.deviceNumber >= kFirstImageDeviceNumber;
}

class AttachedImages {
public:
    // Attaches the image at path. Its letter is the first one counting down from Y: that no
    // listed drive, no other attached image and no letter in lettersInUse (for example the
    // system's own drive letters) holds; its device number is the lowest free one from 1000.
    // Returns an AttachStatus; on ATTACH_OK *record (when given) receives the new record.
    int Attach(const std::wstring& path,
               const DriveList& listed,
               DriveRecord* record = nullptr,
               const std::wstring& lettersInUse = std::wstring());

    // Removes the image with this device number; false when none has it.
    bool Detach(int32_t deviceNumber);

    // Appends the attached images to the list's empty slots after the drives listed there,
    // by the listing rule of AddDriveRecord (dropped when all slots are in use).
    void MergeInto(DriveList& list) const;

    const std::vector<DriveRecord>& records() const { return records_; }

private:
    std::vector<DriveRecord> records_;
};

// The one set of attached images of the program, filled from the command line or the menu
// on the user-interface thread and read by every scan.
AttachedImages& ProcessAttachedImages();

// Text for a status of Attach: what went wrong with the image at path.
std::wstring AttachStatusText(int status, const std::wstring& path);
