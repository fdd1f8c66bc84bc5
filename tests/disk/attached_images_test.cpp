// Image files attached as drives: the letter and number each one gets, the refusals, and their
// place in the drive list after the real drives.
#include "disk/attached_images.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "disk/drive_list.h"
#include "disk/drive_scan.h"
#include "support/temp_dir.h"

namespace {

constexpr uint64_t kMiB = 1u << 20;

class AttachedImagesTest : public ::testing::Test {
protected:
    std::wstring Image(const std::string& name, uint64_t bytes) {
        WriteWholeFile(dir.File(name), std::string());
        std::filesystem::resize_file(dir.File(name), bytes);
        return dir.WFile(name);
    }
    // The drive list line of the new record, or the status and its text.
    std::wstring Attach(const std::string& name, uint64_t bytes = 2 * kMiB, const std::wstring& lettersInUse = L"") {
        std::wstring path = bytes == 0 ? dir.WFile(name) : Image(name, bytes);
        DriveRecord record;
        int status = images.Attach(path, listed, &record, lettersInUse);
        if (status != ATTACH_OK) return L"status " + std::to_wstring(status) + L": " + AttachStatusText(status, path);
        return DriveListLine(record);
    }

    TempDir dir;
    AttachedImages images;
    DriveList listed;
};

TEST_F(AttachedImagesTest, LettersCountDownFromYAndNumbersUpFrom1000WhileFreeOnesAreTakenFirst) {
    EXPECT_EQ(Attach("a.img", 64 * kMiB), L"Y: (64.00 MB) 1000 Image a.img USB Device");
    EXPECT_EQ(Attach("b.img"), L"X: (2.00 MB) 1001 Image b.img USB Device");
    EXPECT_EQ(Attach("c.img"), L"W: (2.00 MB) 1002 Image c.img USB Device");
    EXPECT_TRUE(images.Detach(1001));
    EXPECT_FALSE(images.Detach(1001));
    EXPECT_EQ(Attach("d.img"), L"X: (2.00 MB) 1001 Image d.img USB Device");

    // Letters of listed sticks (in any case) and those the system uses now are passed over.
    DriveRecord stick;
    stick.deviceNumber = 1;
    stick.lastSector = 100000;
    stick.driveName = L"v:";
    AddDriveRecord(listed, stick);
    EXPECT_EQ(Attach("e.img", 2 * kMiB, L"UT"), L"S: (2.00 MB) 1003 Image e.img USB Device");

    // One sector more than a slot is the least a drive can be.
    EXPECT_EQ(Attach("slot.img", 3072 * 512 + 511),
              L"status 1: " + AttachStatusText(ATTACH_TOO_SMALL, dir.WFile("slot.img")));
    EXPECT_EQ(Attach("least.img", 3073 * 512 + 100), L"U: (1.50 MB) 1004 Image least.img USB Device");
    std::wstring spelledOtherwise = (std::filesystem::path(dir.path()) / "." / "a.img").wstring();
    EXPECT_EQ(images.Attach(spelledOtherwise, listed), ATTACH_DUPLICATE);
    std::wstring missing = Attach("missing.img", 0);
    EXPECT_EQ(missing.rfind(L"status -1: Cannot open the image " + dir.WFile("missing.img") + L": ", 0), 0u)
        << missing;

    for (int i = 0; i < 17; ++i)  // T:, then R: down to C:
        ASSERT_EQ(images.Attach(Image("i" + std::to_string(i) + ".img", 2 * kMiB + i * 512), listed), ATTACH_OK) << i;
    EXPECT_EQ(images.records().back().driveName, L"C:");
    EXPECT_EQ(Attach("last.img"), L"status 3: " + AttachStatusText(ATTACH_NO_LETTER, dir.WFile("last.img")));
    EXPECT_EQ(images.records().size(), 22u);
}

TEST_F(AttachedImagesTest, ImagesFollowTheRealDrivesInTheListWhileSlotsAreLeft) {
    DriveRecord a, b;
    ASSERT_EQ(images.Attach(Image("a.img", 2 * kMiB), listed, &a), ATTACH_OK);
    ASSERT_EQ(images.Attach(Image("b.img", 2 * kMiB), listed, &b), ATTACH_OK);
    for (int i = 0; i < kDriveSlots - 1; ++i) {
        DriveRecord stick;
        stick.deviceNumber = i + 1;
        stick.lastSector = 100000;
        stick.driveName = L"stick" + std::to_wstring(i);
        AddDriveRecord(listed, stick);
    }
    images.MergeInto(listed);
    EXPECT_EQ(FindDrive(listed, a), kDriveSlots - 1);
    EXPECT_EQ(FindDrive(listed, b), -1);

    // Every scan lists the program's own attached images, until they are detached.
    DriveRecord scanned;
    ASSERT_EQ(ProcessAttachedImages().Attach(Image("scan.img", 2 * kMiB), DriveList(), &scanned), ATTACH_OK);
    DriveList list;
    ScanDrives(list);
    EXPECT_GE(FindDrive(list, scanned), 0);
    ProcessAttachedImages().Detach(scanned.deviceNumber);
    ScanDrives(list);
    EXPECT_EQ(FindDrive(list, scanned), -1);
}

}  // namespace
