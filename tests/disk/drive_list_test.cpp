// A drive is found again only when it is the same drive: a job must never reach another stick
// that took the letter over.
#include "disk/drive_list.h"

#include <gtest/gtest.h>

#include "disk/wide_path.h"

namespace {

DriveRecord Stick(int32_t number, const wchar_t* name, uint32_t lastSector = 3940351) {
    DriveRecord r;
    r.deviceNumber = number;
    r.lastSector = lastSector;
    r.driveName = name;
    r.deviceName = L"USB FlashDisk";
    return r;
}

TEST(DriveList, FindsADriveAgainOnlyWhenAllFourFieldsMatch) {
    DriveList list;
    AddDriveRecord(list, Stick(1, L"E:"));
    AddDriveRecord(list, Stick(2, L"F:"));
    DriveRecord renamed = Stick(2, L"F:");
    renamed.deviceName = L"USB FlashDisk2";
    EXPECT_EQ(FindDrive(list, Stick(2, L"F:")), 1);
    for (const DriveRecord& other : {Stick(3, L"F:"), Stick(2, L"G:"), Stick(2, L"F:", 7000000), renamed})
        EXPECT_EQ(FindDrive(list, other), -1) << Utf8FromWide(DriveListLine(other));
    ClearDriveList(list);  // the old strings stay in the slots, which are empty now
    EXPECT_EQ(FindDrive(list, Stick(2, L"F:")), -1);
    EXPECT_EQ(FindDrive(list, DriveRecord()), -1);
}

}  // namespace
