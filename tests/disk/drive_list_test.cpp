// The drive list: the listing rule, finding a drive again, and the drive list line.
#include "disk/drive_list.h"

#include <gtest/gtest.h>

namespace {

DriveRecord Stick(int32_t number, const wchar_t* letter, uint32_t lastSector = 3940351) {
    DriveRecord r;
    r.deviceNumber = number;
    r.lastSector = lastSector;
    r.driveName = letter;
    r.deviceName = L"USB FlashDisk";
    return r;
}

TEST(DriveListLine, GigabyteStickAsTheFormatDialogShowsIt) {
    // A "2 GB" stick of 3,940,352 sectors.
    EXPECT_EQ(DriveListLine(Stick(1, L"E:")), L"E: (1.88 G) 1 USB FlashDisk USB Device");
}

// Last sector times 512, in MB up to 1 GiB and in G above it; sticks past 4 GiB keep their size.
TEST(DriveListLine, CapacityText) {
    const struct {
        uint32_t lastSector;
        const wchar_t* text;
    } rows[] = {
        {3072, L"(1.50 MB)"},          {131071, L"(64.00 MB)"},  // a 64 MiB image: 67,108,352 bytes
        {2097152, L"(1024.00 MB)"},                              // exactly 1 GiB is still MB
        {2097153, L"(1.00 G)"},                                  // one sector more is G
        {15728639, L"(7.50 G)"},                                 // 8,053,063,168 bytes
        {0xFFFFFFFFu, L"(2048.00 G)"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.lastSector);
        EXPECT_EQ(DriveCapacityText(row.lastSector), row.text);
    }
}

TEST(DriveListRule, FillsSlotsInOrderAndListsADeviceOnceUnderItsFirstName) {
    DriveList list;
    EXPECT_EQ(AddDriveRecord(list, Stick(1, L"E:")), 0);
    EXPECT_EQ(AddDriveRecord(list, Stick(2, L"F:")), 1);
    EXPECT_EQ(AddDriveRecord(list, Stick(1, L"G:")), -1);  // the second letter of stick 1
    EXPECT_EQ(CountListedDrives(list), 2);
    EXPECT_EQ(list.drives[0].driveName, L"E:");
}

TEST(DriveListRule, A27thDriveIsDropped) {
    DriveList list;
    for (int i = 0; i < kDriveSlots; ++i)
        EXPECT_EQ(AddDriveRecord(list, Stick(i + 1, L"E:")), i);
    EXPECT_EQ(AddDriveRecord(list, Stick(99, L"E:")), -1);
    EXPECT_EQ(CountListedDrives(list), kDriveSlots);
    for (const DriveRecord& r : list.drives)
        EXPECT_NE(r.deviceNumber, 99);
}

TEST(FindDrive, MatchesAllFourFields) {
    DriveList list;
    AddDriveRecord(list, Stick(1, L"E:"));
    AddDriveRecord(list, Stick(2, L"F:"));
    EXPECT_EQ(FindDrive(list, Stick(2, L"F:")), 1);
    EXPECT_EQ(FindDrive(list, Stick(2, L"G:")), -1);           // another letter
    EXPECT_EQ(FindDrive(list, Stick(2, L"F:", 7000000)), -1);  // another size
    DriveRecord renamed = Stick(1, L"E:");
    renamed.deviceName = L"USB FlashDisk2";
    EXPECT_EQ(FindDrive(list, renamed), -1);
}

TEST(FindDrive, ClearingEmptiesTheListAndItsStaleSlotsAreNeverFound) {
    DriveList list;
    AddDriveRecord(list, Stick(1, L"E:"));
    AddDriveRecord(list, Stick(2, L"F:"));
    ClearDriveList(list);  // the strings of the old records stay behind
    EXPECT_EQ(CountListedDrives(list), 0);
    EXPECT_EQ(AddDriveRecord(list, Stick(1, L"E:")), 0);
    // A current drive that was cleared keeps its strings, as the stale slot 1 does.
    DriveRecord cleared = Stick(2, L"F:");
    cleared.deviceNumber = -1;
    EXPECT_EQ(FindDrive(list, cleared), -1);
    EXPECT_EQ(FindDrive(list, DriveRecord()), -1);
    EXPECT_EQ(FindDrive(list, Stick(1, L"E:")), 0);
}

}  // namespace
