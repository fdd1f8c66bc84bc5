// The drive list: capacity texts, the listing rule (each device once, at most 26 drives), and
// finding a drive again only when it is the same drive.
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

// Last sector times 512, in MB up to 1 GiB and in G above it.
TEST(DriveList, CapacityTextsAndTheLine) {
    const struct {
        uint32_t lastSector;
        const wchar_t* text;
    } rows[] = {
        {3072, L"(1.50 MB)"},       {131071, L"(64.00 MB)"},  {2097152, L"(1024.00 MB)"},
        {2097153, L"(1.00 G)"},     {15728639, L"(7.50 G)"},  {0xFFFFFFFFu, L"(2048.00 G)"},
    };
    for (const auto& row : rows)
        EXPECT_EQ(DriveCapacityText(row.lastSector), row.text) << row.lastSector;
    EXPECT_EQ(DriveListLine(Stick(1, L"E:")), L"E: (1.88 G) 1 USB FlashDisk USB Device");
}

TEST(DriveList, ListsEachDeviceOnceUnderItsFirstNameAndAtMost26) {
    DriveList list;
    EXPECT_EQ(AddDriveRecord(list, Stick(1, L"E:")), 0);
    EXPECT_EQ(AddDriveRecord(list, Stick(1, L"G:")), -1);  // the second letter of stick 1
    for (int i = 1; i < kDriveSlots; ++i)
        EXPECT_EQ(AddDriveRecord(list, Stick(i + 1, L"F:")), i);
    EXPECT_EQ(AddDriveRecord(list, Stick(99, L"Z:")), -1);
    EXPECT_EQ(CountListedDrives(list), kDriveSlots);
    EXPECT_EQ(list.drives[0].driveName, L"E:");
}

TEST(DriveList, FindsADriveAgainOnlyWhenAllFourFieldsMatch) {
    DriveList list;
    AddDriveRecord(list, Stick(1, L"E:"));
    AddDriveRecord(list, Stick(2, L"F:"));
    EXPECT_EQ(FindDrive(list, Stick(2, L"F:")), 1);
    EXPECT_EQ(FindDrive(list, Stick(2, L"G:")), -1);
    EXPECT_EQ(FindDrive(list, Stick(2, L"F:", 7000000)), -1);
    DriveRecord renamed = Stick(1, L"E:");
    renamed.deviceName = L"USB FlashDisk2";
    EXPECT_EQ(FindDrive(list, renamed), -1);

    // Clearing leaves the old strings in the slots; a cleared slot is never found.
    ClearDriveList(list);
    AddDriveRecord(list, Stick(1, L"E:"));
    DriveRecord gone = Stick(2, L"F:");
    gone.deviceNumber = -1;
    EXPECT_EQ(FindDrive(list, gone), -1);
    EXPECT_EQ(FindDrive(list, DriveRecord()), -1);
    EXPECT_EQ(FindDrive(list, Stick(1, L"E:")), 0);
}

// Paths reach the system as UTF-16 on Windows: characters beyond the first plane included.
TEST(WidePath, Utf8RoundTripKeepsEveryPlane) {
    std::wstring text = L"Disk \u00e9t\u00e9 \u4e0d \U0001F4BE\x7F";
    EXPECT_EQ(WideFromUtf8(Utf8FromWide(text)), text);
    EXPECT_EQ(Utf8FromWide(L"\u00e9\U0001F4BE"), "\xc3\xa9\xf0\x9f\x92\xbe");
}

}  // namespace
