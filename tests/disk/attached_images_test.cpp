// Image files attached as drives: letters, numbers, size rule, merging into the drive list,
// and block transfers through the record.
#include "disk/attached_images.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <vector>

#include "disk/drive_list.h"
#include "disk/drive_scan.h"
#include "disk/record_drive.h"
#include "disk/sector_access.h"
#include "disk/system_error.h"
#include "support/temp_dir.h"

namespace {

class AttachedImagesTest : public ::testing::Test {
protected:
    TempDir dir;
    AttachedImages images;
    DriveList listed;

    // A zero-filled image of the given size in bytes.
    std::wstring MakeImage(const std::string& name, uint64_t bytes) {
        std::filesystem::resize_file(MakeEmpty(name), bytes);
        return dir.WFile(name);
    }
    std::string MakeEmpty(const std::string& name) {
        WriteWholeFile(dir.File(name), std::string());
        return dir.File(name);
    }

    DriveRecord AttachOk(const std::wstring& path) {
        DriveRecord record;
        EXPECT_EQ(images.Attach(path, listed, &record), ATTACH_OK);
        return record;
    }
};

constexpr uint64_t kMiB = 1u << 20;

TEST_F(AttachedImagesTest, AnImageBecomesADriveRecord) {
    DriveRecord r = AttachOk(MakeImage("demo.img", 64 * kMiB));
    EXPECT_EQ(r.driveName, L"Y:");
    EXPECT_EQ(r.deviceNumber, 1000);
    EXPECT_EQ(r.lastSector, 64 * kMiB / 512 - 1);
    EXPECT_EQ(r.deviceName, L"Image demo.img");
    EXPECT_TRUE(std::filesystem::equivalent(std::filesystem::path(r.imagePath), dir.File("demo.img")));
    EXPECT_TRUE(IsImageRecord(r));
    EXPECT_EQ(DriveListLine(r), L"Y: (64.00 MB) 1000 Image demo.img USB Device");
}

TEST_F(AttachedImagesTest, LettersCountDownFromYAndNumbersUpFrom1000) {
    DriveRecord a = AttachOk(MakeImage("a.img", 2 * kMiB));
    DriveRecord b = AttachOk(MakeImage("b.img", 2 * kMiB));
    DriveRecord c = AttachOk(MakeImage("c.img", 2 * kMiB));
    EXPECT_EQ(a.driveName + b.driveName + c.driveName, L"Y:X:W:");
    EXPECT_EQ(a.deviceNumber, 1000);
    EXPECT_EQ(b.deviceNumber, 1001);
    EXPECT_EQ(c.deviceNumber, 1002);

    // A detached image frees its letter and number for the next one.
    ASSERT_TRUE(images.Detach(1001));
    EXPECT_FALSE(images.Detach(1001));
    DriveRecord d = AttachOk(MakeImage("d.img", 2 * kMiB));
    EXPECT_EQ(d.driveName, L"X:");
    EXPECT_EQ(d.deviceNumber, 1001);
    EXPECT_EQ(images.records().size(), 3u);
}

TEST_F(AttachedImagesTest, LettersOfListedDrivesAndOfTheSystemAreSkipped) {
    DriveRecord stick;
    stick.deviceNumber = 1;
    stick.lastSector = 100000;
    stick.driveName = L"y:";
    AddDriveRecord(listed, stick);
    DriveRecord r;
    ASSERT_EQ(images.Attach(MakeImage("a.img", 2 * kMiB), listed, &r, L"XW"), ATTACH_OK);
    EXPECT_EQ(r.driveName, L"V:");
}

TEST_F(AttachedImagesTest, NoLetterLeftAfterC) {
    for (int i = 0; i < 23; ++i) {  // Y: down to C:
        ASSERT_EQ(images.Attach(MakeImage("i" + std::to_string(i) + ".img", 2 * kMiB + i * 512), listed), ATTACH_OK)
            << i;
    }
    EXPECT_EQ(images.records().back().driveName, L"C:");
    EXPECT_EQ(images.Attach(MakeImage("last.img", 2 * kMiB), listed), ATTACH_NO_LETTER);
    EXPECT_EQ(images.records().size(), 23u);
}

TEST_F(AttachedImagesTest, AnImageMustBeLargerThanOneSlot) {
    // 3072 sectors and a bit: the last sector would be 3071, one slot exactly.
    EXPECT_EQ(images.Attach(MakeImage("slot.img", 3072 * 512 + 511), listed), ATTACH_TOO_SMALL);
    EXPECT_EQ(images.Attach(MakeImage("empty.img", 0), listed), ATTACH_TOO_SMALL);
    EXPECT_TRUE(images.records().empty());
    DriveRecord r = AttachOk(MakeImage("least.img", 3073 * 512 + 100));
    EXPECT_EQ(r.lastSector, 3072u);
    EXPECT_NE(AttachStatusText(ATTACH_TOO_SMALL, L"slot.img").find(L"slot.img"), std::wstring::npos);
}

TEST_F(AttachedImagesTest, TheSameFileCannotBeAttachedTwice) {
    std::wstring path = MakeImage("twice.img", 2 * kMiB);
    AttachOk(path);
    std::filesystem::path spelledOtherwise = std::filesystem::path(dir.path()) / "." / "twice.img";
    EXPECT_EQ(images.Attach(spelledOtherwise.wstring(), listed), ATTACH_DUPLICATE);
    EXPECT_EQ(images.records().size(), 1u);
}

TEST_F(AttachedImagesTest, AMissingFileIsASystemError) {
    SetLastSystemError(0);
    EXPECT_EQ(images.Attach(dir.WFile("missing.img"), listed), ATTACH_WIN_ERROR);
    EXPECT_NE(LastSystemError(), 0u);
    EXPECT_TRUE(images.records().empty());
    std::wstring text = AttachStatusText(ATTACH_WIN_ERROR, dir.WFile("missing.img"));
    EXPECT_EQ(text.rfind(L"Cannot open the image " + dir.WFile("missing.img") + L": ", 0), 0u);
}

TEST_F(AttachedImagesTest, ImagesJoinTheListAfterTheRealDrivesWhileSlotsAreLeft) {
    DriveRecord a = AttachOk(MakeImage("a.img", 2 * kMiB));
    DriveRecord b = AttachOk(MakeImage("b.img", 2 * kMiB));
    for (int i = 0; i < kDriveSlots - 1; ++i) {
        DriveRecord stick;
        stick.deviceNumber = i + 1;
        stick.lastSector = 100000;
        stick.driveName = L"/dev/sd" + std::wstring(1, static_cast<wchar_t>(L'b' + i));
        AddDriveRecord(listed, stick);
    }
    images.MergeInto(listed);
    EXPECT_EQ(FindDrive(listed, a), kDriveSlots - 1);
    EXPECT_EQ(FindDrive(listed, b), -1);  // no slot left
}

TEST_F(AttachedImagesTest, BlocksAreWrittenThroughTheRecordAndReachTheFileAtClose) {
    DriveRecord r = AttachOk(MakeImage("drive.img", 3 * kSlotSectors * 512 + 512));
    SectorAccess sectors;
    std::unique_ptr<RawDrive> drive = OpenRecordDrive(r);
    ASSERT_NE(drive, nullptr);
    sectors.AttachDrive(std::move(drive));
    sectors.SetBlockIndex(2);
    std::vector<uint8_t> data(2 * kSectorSize);
    for (size_t i = 0; i < data.size(); ++i)
        data[i] = static_cast<uint8_t>(i * 7 + 1);
    ASSERT_EQ(sectors.WriteSectors(3070, 2, data.data()), 0);
    std::vector<uint8_t> back(data.size());
    ASSERT_EQ(sectors.ReadSectors(3070, 2, back.data()), 0);
    EXPECT_EQ(back, data);
    sectors.CloseDrive();

    std::string image = ReadWholeFile(dir.File("drive.img"));
    ASSERT_EQ(image.size(), 3 * kSlotSectors * 512 + 512u);
    const size_t at = (2 * kSlotSectors + 3070) * size_t{512};
    EXPECT_EQ(std::memcmp(image.data() + at, data.data(), data.size()), 0);
    EXPECT_EQ(image[at - 1], 0);
}

TEST_F(AttachedImagesTest, ScanDrivesListsTheProcessImages) {
    DriveRecord r;
    ASSERT_EQ(ProcessAttachedImages().Attach(MakeImage("scan.img", 2 * kMiB), listed, &r), ATTACH_OK);
    DriveList list;
    ScanDrives(list);
    int slot = FindDrive(list, r);
    EXPECT_GE(slot, 0);
    for (int i = 0; i < slot; ++i)
        EXPECT_LT(list.drives[i].deviceNumber, kFirstImageDeviceNumber);
    ProcessAttachedImages().Detach(r.deviceNumber);
    ScanDrives(list);
    EXPECT_EQ(FindDrive(list, r), -1);
}

}  // namespace
