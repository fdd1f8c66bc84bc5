// The drive scan on Windows: which drive letters are probed, which drives are listed and in what
// order, and the attached images after the sticks.
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>

#include "disk/attached_images.h"
#include "disk/drive_discovery.h"
#include "disk/drive_list.h"
#include "disk/drive_scan.h"
#include "fake_usb_sticks.h"
#include "support/temp_dir.h"

namespace {

FakeStick Stick(const std::wstring& driveName, uint32_t deviceNumber) {
    FakeStick s;
    s.driveName = driveName;
    s.deviceNumber = deviceNumber;
    return s;
}

std::vector<std::wstring> ListedNames(const DriveList& list) {
    std::vector<std::wstring> names;
    for (int i = 0; i < CountListedDrives(list); ++i)
        names.push_back(list.drives[i].driveName);
    return names;
}

bool WasOpened(const FakeUsbSticks& sticks, const std::wstring& path) {
    for (const auto& p : OpenedPaths(sticks.Calls()))
        if (p == path) return true;
    return false;
}

// Attached images are process-wide: each test leaves none behind.
class AttachedImage {
public:
    explicit AttachedImage(const TempDir& dir, const std::string& name) {
        std::filesystem::path path = std::filesystem::u8path(dir.File(name));
        WriteWholeFile(path.u8string(), std::string());
        std::filesystem::resize_file(path, 4096 * 512);
        DriveList none;
        status = ProcessAttachedImages().Attach(dir.WFile(name), none, &record);
    }
    ~AttachedImage() {
        if (status == ATTACH_OK) ProcessAttachedImages().Detach(record.deviceNumber);
    }
    int status = -1;
    DriveRecord record;
};

}  // namespace

TEST(ScanDrives, AUsbStickIsListedAndFixedDrivesAreNeverOpened) {
    FakeUsbSticks sticks;
    sticks.AddRoot(L"C:\\", DRIVE_FIXED);
    sticks.Add(Stick(L"E:", 1));
    sticks.AddRoot(L"Z:\\", DRIVE_REMOTE);
    DriveList list;
    ScanDrives(list);
    EXPECT_EQ(ListedNames(list), std::vector<std::wstring>{L"E:"});
    EXPECT_EQ(list.drives[0].deviceNumber, 1);
    EXPECT_EQ(list.drives[0].deviceName, L"USB FlashDisk");
    EXPECT_EQ(OpenedPaths(sticks.Calls()), std::vector<std::wstring>{L"\\\\.\\E:"});
    EXPECT_EQ(sticks.discovery.typeAsked, (std::vector<std::wstring>{L"C:\\", L"E:\\", L"Z:\\"}));
}

TEST(ScanDrives, AUsbHardDiskShownAsAFixedDriveIsNotListed) {
    FakeUsbSticks sticks;
    FakeStick disk = Stick(L"F:", 2);
    disk.driveType = DRIVE_FIXED;
    sticks.Add(disk);
    DriveList list;
    ScanDrives(list);
    EXPECT_EQ(CountListedDrives(list), 0);
    EXPECT_FALSE(WasOpened(sticks, L"\\\\.\\F:"));
}

TEST(ScanDrives, FloppyLettersAreNeverProbed) {
    FakeUsbSticks sticks;
    sticks.Add(Stick(L"A:", 1));
    sticks.Add(Stick(L"b:", 2));
    sticks.Add(Stick(L"E:", 3));
    DriveList list;
    ScanDrives(list);
    EXPECT_EQ(ListedNames(list), std::vector<std::wstring>{L"E:"});
    EXPECT_EQ(OpenedPaths(sticks.Calls()), std::vector<std::wstring>{L"\\\\.\\E:"});
}

TEST(ScanDrives, OnlyTheLargeSectorStickIsReportedAmongTheRefused) {
    FakeUsbSticks sticks;
    FakeStick hardDisk = Stick(L"D:", 1);
    hardDisk.driveType = DRIVE_FIXED;
    sticks.Add(hardDisk);
    FakeStick reader = Stick(L"E:", 2);
    reader.busType = 0x0C;
    sticks.Add(reader);
    FakeStick large = Stick(L"F:", 3);
    large.blockLength = 4096;
    sticks.Add(large);
    FakeStick small = Stick(L"G:", 4);
    small.lastAddress = 3071;
    sticks.Add(small);
    sticks.Add(Stick(L"H:", 0));  // physical drive 0
    FakeStick empty = Stick(L"I:", 5);
    empty.openError = ERROR_NOT_READY;
    sticks.Add(empty);
    sticks.Add(Stick(L"J:", 6));

    DriveList list;
    std::vector<LargeSectorDrive> refused;
    ScanDrives(list, &refused);
    EXPECT_EQ(ListedNames(list), std::vector<std::wstring>{L"J:"});
    ASSERT_EQ(refused.size(), 1u);
    EXPECT_EQ(refused[0].driveName, L"F:");
    EXPECT_EQ(refused[0].sectorSize, 4096u);
    EXPECT_EQ(sticks.OpenHandles(), 0u);
}

TEST(ScanDrives, AStickWithTwoLettersIsListedOnceUnderTheFirstInRootOrder) {
    FakeUsbSticks sticks;
    sticks.Add(Stick(L"G:", 2));
    sticks.Add(Stick(L"H:", 3));
    sticks.Add(Stick(L"K:", 2));
    DriveList list;
    ScanDrives(list);
    EXPECT_EQ(ListedNames(list), (std::vector<std::wstring>{L"G:", L"H:"}));
    EXPECT_EQ(list.drives[0].deviceNumber, 2);
}

TEST(ScanDrives, ATwentySeventhStickIsNotListed) {
    // Windows has only 24 letters for sticks; the rule holds for whatever the system lists.
    FakeUsbSticks sticks;
    std::vector<std::wstring> expected;
    for (int i = 0; i < 27; ++i) {
        std::wstring name = i < 24 ? std::wstring(1, static_cast<wchar_t>(L'C' + i)) + L":"
                                   : std::wstring(1, static_cast<wchar_t>(L'c' + i - 24)) + L":";
        sticks.Add(Stick(name, static_cast<uint32_t>(i + 1)));
        if (i < kDriveSlots) expected.push_back(name);
    }
    DriveList list;
    ScanDrives(list);
    EXPECT_EQ(ListedNames(list), expected);
    EXPECT_EQ(list.drives[25].deviceNumber, 26);
    // The 27th is probed like the others, then dropped.
    EXPECT_TRUE(WasOpened(sticks, L"\\\\.\\e:"));
    EXPECT_EQ(sticks.OpenHandles(), 0u);
}

TEST(ScanDrives, AttachedImagesFollowTheSticks) {
    TempDir dir;
    AttachedImage image(dir, "a.img");
    ASSERT_EQ(image.status, ATTACH_OK);
    FakeUsbSticks sticks;
    sticks.Add(Stick(L"E:", 1));
    DriveList list;
    ScanDrives(list);
    ASSERT_EQ(CountListedDrives(list), 2);
    EXPECT_EQ(list.drives[0].driveName, L"E:");
    EXPECT_EQ(list.drives[1], image.record);
    // The image is opened as a file, never through the raw calls.
    EXPECT_EQ(OpenedPaths(sticks.Calls()), std::vector<std::wstring>{L"\\\\.\\E:"});
}

TEST(ScanDrives, WithEverySlotTakenBySticksAnImageIsDropped) {
    TempDir dir;
    AttachedImage image(dir, "a.img");
    ASSERT_EQ(image.status, ATTACH_OK);
    FakeUsbSticks sticks;
    for (int i = 0; i < kDriveSlots; ++i) {
        std::wstring name = i < 24 ? std::wstring(1, static_cast<wchar_t>(L'C' + i)) + L":"
                                   : std::wstring(1, static_cast<wchar_t>(L'c' + i - 24)) + L":";
        sticks.Add(Stick(name, static_cast<uint32_t>(i + 1)));
    }
    DriveList list;
    ScanDrives(list);
    EXPECT_EQ(CountListedDrives(list), kDriveSlots);
    EXPECT_EQ(FindDrive(list, image.record), -1);
}

TEST(ScanDrives, NoRootListMeansNoSticksButTheImagesStay) {
    TempDir dir;
    AttachedImage image(dir, "a.img");
    ASSERT_EQ(image.status, ATTACH_OK);
    FakeUsbSticks sticks;
    sticks.Add(Stick(L"E:", 1));
    sticks.discovery.rootsFail = true;
    DriveList list;
    list.drives[0].deviceNumber = 7;  // a stale entry from an earlier scan
    ScanDrives(list);
    ASSERT_EQ(CountListedDrives(list), 1);
    EXPECT_EQ(list.drives[0], image.record);
    EXPECT_TRUE(sticks.Calls().empty());
}

TEST(ScanDrives, ARescanForgetsAStickThatWasPulledOut) {
    FakeUsbSticks sticks;
    sticks.Add(Stick(L"E:", 1));
    sticks.Add(Stick(L"F:", 2));
    DriveList list;
    ScanDrives(list);
    ASSERT_EQ(CountListedDrives(list), 2);
    sticks.Remove(L"E:");
    ScanDrives(list);
    EXPECT_EQ(ListedNames(list), std::vector<std::wstring>{L"F:"});
}
